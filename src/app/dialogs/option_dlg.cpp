#include "app/dialogs/option_dlg.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFontDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/dialogs/colour_choice.h"
#include "app/dialogs/design_sample.h"
#include "app/dialogs/shortcut_page.h"
#include "app/platform/plain_text.h"
#include "app/texts.h"
#include "core/io/fragment_file.h"
#include "core/model/ports.h"
#include "core/settings/env_data.h"
#include "core/settings/paths.h"
#include "render/painting/colors.h"
#include "render/text/fonts.h"
#include "render/text/qt_text.h"

namespace {

using qv::OptionColour;
using qv::OptionFont;

// One caption for each colour and font the design page edits, in the editor's order.
static_assert(std::size(texts::kOptionColourNames) == qv::kOptionColourCount);
static_assert(std::size(texts::kOptionFontNames) == qv::kOptionFontCount);

QSpinBox* Spin(QWidget* parent, int low, int high) {
    auto* s = new QSpinBox(parent);
    s->setRange(low, high);
    s->setMaximumWidth(64);
    return s;
}

// The chooser's starting font: the stored face (mapped to an installed one) at its point size.
QFont ChooserFont(const qv::FontSpec& row) {
    QFont f(qv::MapFontFace(qv::FromCp932(row.Face)));
    f.setPointSize(std::max(1, std::abs(row.Size)));
    f.setBold(row.Bold);
    f.setItalic(row.Italic);
    return f;
}

// A stored path (code page 932) for its field, and a field's path as stored: none when the
// settings file cannot hold it exactly.
QString FromStorage(const std::string& stored) {
    if (const auto path = qv::PathFromStorage(stored)) return QFile::decodeName(path->c_str());
    return qv::FromCp932(stored);
}

std::optional<std::string> ToStorage(const QString& text) {
    if (text.isEmpty()) return std::string();
    qv::StoredPath stored = qv::PathForStorage(QFile::encodeName(text).toStdString());
    if (!stored.Exact) return std::nullopt;
    return std::move(stored.Bytes);
}

qv::FontSpec SpecOf(const QFont& font, int charset) {
    qv::FontSpec row;
    row.Charset = charset;
    row.Face = qv::ToCp932(font.family());
    row.Size = font.pointSize() > 0 ? font.pointSize()
                                    : std::max(1, font.pixelSize() * 72 / qv::kScreenDpi);
    row.Bold = font.bold();
    row.Italic = font.italic();
    return row;
}

}  // namespace

TOptionDlg::TOptionDlg(qv::EnvData& env, qv::Prompts& prompts, QWidget* parent)
    : QDialog(parent), env_(env), prompts_(prompts) {
    setWindowTitle(texts::Q(texts::kOptionTitle));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    ChooseColour = [this](const QColor& initial) -> std::optional<QColor> {
        const QColor c = QColorDialog::getColor(initial, this);
        if (!c.isValid()) return std::nullopt;
        return c;
    };
    ChooseFont = [this](const QFont& initial, bool fixedOnly) -> std::optional<QFont> {
        bool ok = false;
        const QFont f = QFontDialog::getFont(
            &ok, initial, this, QString(),
            fixedOnly ? QFontDialog::MonospacedFonts : QFontDialog::FontDialogOptions());
        if (!ok) return std::nullopt;
        return f;
    };
    ChooseHomeFile = [this] {
        QFileDialog dlg(this, texts::Q(texts::kOptionHomeChooser));
        dlg.setNameFilter(texts::Q(texts::kOptionHomeFilter));
        dlg.setDefaultSuffix(QStringLiteral("CSV"));
        dlg.setFileMode(QFileDialog::ExistingFile);
        dlg.selectFile(QStringLiteral("*.CSV"));
        return dlg.exec() == QDialog::Accepted && !dlg.selectedFiles().isEmpty()
                   ? dlg.selectedFiles().first()
                   : QString();
    };
    ChooseFolder = [this](const QString& initial) {
        return QFileDialog::getExistingDirectory(this, texts::Q(texts::kOptionPluginChooser),
                                                 initial);
    };

    tabs_ = new QTabWidget(this);
    tabs_->addTab(BuildDesignPage(), texts::Q(texts::kOptionTabDesign));
    tabs_->addTab(BuildFragmentPage(), texts::Q(texts::kOptionTabCards));
    shortcuts_ = new ShortcutPage(tabs_);
    tabs_->addTab(shortcuts_, texts::Q(texts::kOptionTabShortcuts));
    tabs_->addTab(BuildWindowPage(), texts::Q(texts::kOptionTabWindow));
    tabs_->addTab(BuildDisplayPage(), texts::Q(texts::kOptionTabDisplay));
    tabs_->addTab(BuildOtherPage(), texts::Q(texts::kOptionTabOther));
    tabs_->addTab(BuildPluginPage(), texts::Q(texts::kOptionTabPlugins));

    auto* ok = new QPushButton(texts::Q(texts::kButtonOk), this);
    auto* cancel = new QPushButton(texts::Q(texts::kButtonCancel), this);
    ok->setDefault(true);
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QCheckBox* TOptionDlg::AddCheck(QWidget* parent, const char* key, const QString& caption,
                                bool qv::EnvData::*field, bool inverted) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(key));
    switches_.push_back(Switch{box, field, inverted});
    return box;
}

QCheckBox* TOptionDlg::Check(const char* key) const {
    for (const Switch& s : switches_)
        if (s.Box->objectName() == QLatin1String(key)) return s.Box;
    return nullptr;
}

// ---- Pages ----

QWidget* TOptionDlg::BuildDesignPage() {
    auto* page = new QWidget;
    sample_ = new DesignSample(editor_, page);
    connect(sample_, &DesignSample::Chosen, this, &TOptionDlg::SampleChosen);

    auto* colBox = new QGroupBox(texts::Q(texts::kOptionColours), page);
    colCombo_ = new QComboBox(colBox);
    colCombo_->addItems(texts::Qs(texts::kOptionColourNames));
    colCombo_->setMaxVisibleItems(qv::kOptionColourCount);
    colPanel_ = new QLabel(colBox);
    colPanel_->setFixedSize(40, 22);
    colPanel_->setAutoFillBackground(true);
    colPanel_->setFrameShape(QFrame::Panel);
    colPanel_->setFrameShadow(QFrame::Sunken);
    colButton_ = new QPushButton(texts::Q(texts::kButtonChoose), colBox);
    colButton_->setAutoDefault(false);
    auto* colLayout = new QGridLayout(colBox);
    colLayout->addWidget(colCombo_, 0, 0, 1, 2);
    colLayout->addWidget(colPanel_, 1, 0);
    colLayout->addWidget(colButton_, 1, 1);
    connect(colCombo_, &QComboBox::currentIndexChanged, this, [this] { RedrawDesign(); });
    connect(colButton_, &QPushButton::clicked, this, &TOptionDlg::EditColour);

    auto* fontBox = new QGroupBox(texts::Q(texts::kOptionFonts), page);
    fontCombo_ = new QComboBox(fontBox);
    fontCombo_->addItems(texts::Qs(texts::kOptionFontNames));
    fontLabel_ = new QLabel(fontBox);
    // A face name from the settings file is shown as it is.
    qv::MakePlain(fontLabel_);
    fontLabel_->setMinimumWidth(120);
    fontButton_ = new QPushButton(texts::Q(texts::kButtonChoose), fontBox);
    fontButton_->setAutoDefault(false);
    auto* fontLayout = new QGridLayout(fontBox);
    fontLayout->addWidget(fontCombo_, 0, 0, 1, 2);
    fontLayout->addWidget(fontLabel_, 1, 0);
    fontLayout->addWidget(fontButton_, 1, 1);
    connect(fontCombo_, &QComboBox::currentIndexChanged, this, [this] { RedrawDesign(); });
    connect(fontButton_, &QPushButton::clicked, this, &TOptionDlg::EditFont);

    gfLwd_ = Spin(page, 1, 12);
    intLn_ = Spin(page, 0, 16);
    connect(gfLwd_, &QSpinBox::valueChanged, this, [this](int v) {
        if (loading_) return;
        editor_.Work().GFrameLineWidth = v;
        RedrawDesign();
    });
    connect(intLn_, &QSpinBox::valueChanged, this, [this](int v) {
        if (loading_) return;
        editor_.Work().GlstInterLine = v;
        RedrawDesign();
    });
    auto* numbers = new QFormLayout;
    numbers->addRow(texts::Q(texts::kOptionFrameLineWidth), gfLwd_);
    numbers->addRow(texts::Q(texts::kOptionListLineSpacing), intLn_);

    auto* arrowBox = new QGroupBox(texts::Q(texts::kOptionArrow), page);
    asizeCombo_ = new QComboBox(arrowBox);
    asizeCombo_->addItems(texts::Qs(texts::kOptionArrowSizes));
    atypeCombo_ = new QComboBox(arrowBox);
    atypeCombo_->addItems(texts::Qs(texts::kOptionArrowTypes));
    auto* arrowLayout = new QHBoxLayout(arrowBox);
    arrowLayout->addWidget(asizeCombo_);
    arrowLayout->addWidget(atypeCombo_);
    connect(asizeCombo_, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (loading_) return;
        editor_.SetArrowSize(i);
        RedrawDesign();
    });
    connect(atypeCombo_, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (loading_) return;
        editor_.SetArrowType(i);
        RedrawDesign();
    });

    auto* right = new QVBoxLayout;
    right->addWidget(colBox);
    right->addWidget(fontBox);
    right->addLayout(numbers);
    right->addWidget(arrowBox);
    right->addStretch(1);
    auto* layout = new QHBoxLayout(page);
    layout->addWidget(sample_, 1);
    layout->addLayout(right);
    return page;
}

QWidget* TOptionDlg::BuildFragmentPage() {
    auto* page = new QWidget;
    const auto sizeBox = [page](const QString& title, QSpinBox*& a, QSpinBox*& b, int aLow,
                                int aHigh, int bLow, int bHigh, const QString& aLabel,
                                const QString& bLabel) {
        auto* box = new QGroupBox(title, page);
        a = Spin(box, aLow, aHigh);
        b = Spin(box, bLow, bHigh);
        auto* l = new QHBoxLayout(box);
        l->addWidget(a);
        if (!aLabel.isEmpty()) l->addWidget(new QLabel(aLabel, box));
        if (!bLabel.isEmpty() && aLabel.isEmpty()) l->addWidget(new QLabel(bLabel, box));
        l->addWidget(b);
        if (!aLabel.isEmpty()) l->addWidget(new QLabel(bLabel, box));
        l->addStretch(1);
        return box;
    };
    auto* frgBox = sizeBox(texts::Q(texts::kOptionCardSize), frgW_, frgH_, 4, 40, 1, 20,
                           texts::Q(texts::kOptionColumns), texts::Q(texts::kOptionLines));
    auto* namBox = sizeBox(texts::Q(texts::kOptionPlateSize), namW_, namH_, 4, 40, 1, 20,
                           texts::Q(texts::kOptionColumns), texts::Q(texts::kOptionLines));
    auto* imgBox = sizeBox(texts::Q(texts::kOptionPictureRatio), img1_, img2_, 1, 20, 1, 20,
                           QString(), texts::Q(texts::kOptionSlash));

    newPos_ = new QComboBox(page);
    newPos_->addItems(texts::Qs(texts::kOptionNewPlaces));
    awayPos_ = new QComboBox(page);
    awayPos_->addItems(texts::Qs(texts::kOptionAwayPlaces));
    movCsr_ = new QComboBox(page);
    movCsr_->addItems(texts::Qs(texts::kOptionMoveCursors));
    auto* lists = new QFormLayout;
    lists->addRow(texts::Q(texts::kOptionNewPlace), newPos_);
    lists->addRow(texts::Q(texts::kOptionAwayPlace), awayPos_);
    lists->addRow(texts::Q(texts::kOptionMoveCursor), movCsr_);

    using E = qv::EnvData;
    auto* checks = new QVBoxLayout;
    checks->addWidget(
        AddCheck(page, "NewNoGroup", texts::Q(texts::kOptionNewNoGroup), &E::NewNoGroup));
    checks->addWidget(
        AddCheck(page, "AutoExpand", texts::Q(texts::kOptionAutoExpand), &E::AutoExpand));
    checks->addWidget(
        AddCheck(page, "InputWordWrap", texts::Q(texts::kOptionInputWordWrap), &E::InputWordWrap));
    checks->addWidget(AddCheck(page, "IME_On", texts::Q(texts::kOptionImeOn), &E::IME_On));
    checks->addWidget(
        AddCheck(page, "LinkIsIcon", texts::Q(texts::kOptionLinkIsIcon), &E::LinkIsIcon));

    auto* crBox = new QGroupBox(texts::Q(texts::kOptionLineBreak), page);
    acceptCr_ = AddCheck(crBox, "Accept_CR", texts::Q(texts::kOptionAcceptCr), &E::Accept_CR);
    crRetKey_ =
        AddCheck(crBox, "CR_ReturnKey", texts::Q(texts::kOptionCrReturnKey), &E::CR_ReturnKey);
    ctlRetOk_ =
        AddCheck(crBox, "OK_CtrlReturn", texts::Q(texts::kOptionOkCtrlReturn), &E::OK_CtrlReturn);
    crStr_ = new QLineEdit(crBox);
    crStr_->setMaximumWidth(80);
    auto* crLayout = new QGridLayout(crBox);
    crLayout->addWidget(acceptCr_, 0, 0, 1, 2);
    crLayout->addWidget(crRetKey_, 1, 0, 1, 2);
    crLayout->addWidget(ctlRetOk_, 2, 0, 1, 2);
    crLayout->addWidget(new QLabel(texts::Q(texts::kOptionCrString), crBox), 3, 0);
    crLayout->addWidget(crStr_, 3, 1);
    connect(acceptCr_, &QCheckBox::toggled, this, [this] { UpdateCrStates(); });
    connect(crRetKey_, &QCheckBox::toggled, this, [this] { UpdateCrStates(); });

    auto* left = new QVBoxLayout;
    left->addWidget(frgBox);
    left->addWidget(namBox);
    left->addWidget(imgBox);
    left->addLayout(lists);
    left->addStretch(1);
    auto* right = new QVBoxLayout;
    right->addLayout(checks);
    right->addWidget(crBox);
    right->addStretch(1);
    auto* layout = new QHBoxLayout(page);
    layout->addLayout(left);
    layout->addLayout(right);
    return page;
}

QWidget* TOptionDlg::BuildWindowPage() {
    auto* page = new QWidget;
    auto* homeBox = new QGroupBox(texts::Q(texts::kOptionHome), page);
    homeEdit_ = new QLineEdit(homeBox);
    homeBtn_ = new QPushButton(texts::Q(texts::kButtonBrowse), homeBox);
    homeBtn_->setAutoDefault(false);
    homeBtn_->setFixedWidth(32);
    setCurHomBtn_ = new QPushButton(texts::Q(texts::kOptionUseCurrentFile), homeBox);
    setCurHomBtn_->setAutoDefault(false);
    using E = qv::EnvData;
    auto* homeMax = AddCheck(homeBox, "HomWinMaximize", texts::Q(texts::kOptionHomeMaximize),
                             &E::HomWinMaximize);
    auto* homeLayout = new QGridLayout(homeBox);
    homeLayout->addWidget(homeEdit_, 0, 0, 1, 2);
    homeLayout->addWidget(homeBtn_, 0, 2);
    homeLayout->addWidget(homeMax, 1, 0);
    homeLayout->addWidget(setCurHomBtn_, 1, 1, 1, 2);
    connect(homeBtn_, &QPushButton::clicked, this, &TOptionDlg::BrowseHome);
    connect(setCurHomBtn_, &QPushButton::clicked, this, [this] {
        homeEdit_->setText(QFile::decodeName(editor_.ActiveDocumentPath().c_str()));
    });

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(homeBox);
    layout->addWidget(AddCheck(page, "ChildWinMaximize", texts::Q(texts::kOptionChildWinMaximize),
                               &E::ChildWinMaximize));
    layout->addWidget(AddCheck(page, "ScrollTracking", texts::Q(texts::kOptionScrollTracking),
                               &E::ScrollTracking));
    layout->addWidget(
        AddCheck(page, "RestoreScrPos", texts::Q(texts::kOptionRestoreScrPos), &E::RestoreScrPos));
    layout->addWidget(
        AddCheck(page, "HideTitleMenu", texts::Q(texts::kMenuHideTitleMenu), &E::HideTitleMenu));
    layout->addWidget(AddCheck(page, "ActivateDistWin", texts::Q(texts::kOptionActivateDistWin),
                               &E::ActivateDistWin));
    layout->addWidget(
        AddCheck(page, "OpenLastFile", texts::Q(texts::kOptionOpenLastFile), &E::OpenLastFile));
    layout->addStretch(1);
    return page;
}

QWidget* TOptionDlg::BuildDisplayPage() {
    auto* page = new QWidget;
    using E = qv::EnvData;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(
        AddCheck(page, "GfrmMovUpdate", texts::Q(texts::kOptionGfrmMovUpdate), &E::GfrmMovUpdate));
    layout->addWidget(
        AddCheck(page, "NoNpHideGfrm", texts::Q(texts::kOptionNoNpHideGfrm), &E::NoNpHideGfrm));
    layout->addWidget(
        AddCheck(page, "IfNpShowGfrm", texts::Q(texts::kOptionIfNpShowGfrm), &E::IfNpShowGfrm));
    layout->addWidget(AddCheck(page, "HideNamePlate", texts::Q(texts::kOptionShowNamePlate),
                               &E::HideNamePlate, true));
    layout->addWidget(AddCheck(page, "DoubleBuffered", texts::Q(texts::kOptionDoubleBuffered),
                               &E::DoubleBuffered));
    fastDraw_ = AddCheck(page, "FrgFastDraw", texts::Q(texts::kOptionFrgFastDraw), &E::FrgFastDraw);
    layout->addWidget(fastDraw_);
    layout->addWidget(
        AddCheck(page, "FlatToolBar", texts::Q(texts::kOptionFlatToolBar), &E::FlatToolBar));
    layout->addWidget(
        AddCheck(page, "ShowDstGrp", texts::Q(texts::kOptionShowDstGrp), &E::ShowDstGrp));
    layout->addWidget(AddCheck(page, "GLineRightAngle", texts::Q(texts::kOptionGLineRightAngle),
                               &E::GLineRightAngle));
    layout->addWidget(
        AddCheck(page, "MapViewImage", texts::Q(texts::kOptionMapViewImage), &E::MapViewImage));
    layout->addWidget(
        AddCheck(page, "ImageIsBack", texts::Q(texts::kOptionImageIsBack), &E::ImageIsBack));
    layout->addWidget(
        AddCheck(page, "AreaFrame", texts::Q(texts::kOptionAreaFrame), &E::AreaFrame));
    layout->addStretch(1);
    return page;
}

QWidget* TOptionDlg::BuildOtherPage() {
    auto* page = new QWidget;
    using E = qv::EnvData;
    auto* spreadBox = new QGroupBox(texts::Q(texts::kOptionSpread), page);
    auto* spreadLayout = new QHBoxLayout(spreadBox);
    spreadLayout->addWidget(
        AddCheck(spreadBox, "SpreadAlign", texts::Q(texts::kOptionSpreadAlign), &E::SpreadAlign));
    spreadLayout->addWidget(AddCheck(spreadBox, "SpreadShuffle",
                                     texts::Q(texts::kOptionSpreadShuffle), &E::SpreadShuffle));

    jpgQLabel_ = new QLabel(page);
    jpgQ_ = new QSlider(Qt::Horizontal, page);
    jpgQ_->setRange(10, 100);
    jpgQ_->setTickInterval(10);
    jpgQ_->setTickPosition(QSlider::TicksBelow);
    jpgQ_->setPageStep(10);
    connect(jpgQ_, &QSlider::valueChanged, this,
            [this](int v) { jpgQLabel_->setText(texts::Q(texts::kOptionJpegQuality).arg(v)); });
    printMono_ = AddCheck(page, "PrintMonochrome", texts::Q(texts::kOptionPrintMonochrome),
                          &E::PrintMonochrome);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(spreadBox);
    layout->addWidget(jpgQLabel_);
    layout->addWidget(jpgQ_);
    layout->addWidget(printMono_);
    layout->addWidget(AddCheck(page, "NewBlankDblClick", texts::Q(texts::kOptionNewBlankDblClick),
                               &E::NewBlankDblClick));
    layout->addWidget(AddCheck(page, "FrameAllSelect", texts::Q(texts::kOptionFrameAllSelect),
                               &E::FrameAllSelect));
    layout->addWidget(
        AddCheck(page, "ClipPosSort", texts::Q(texts::kOptionClipPosSort), &E::ClipPosSort));
    layout->addWidget(
        AddCheck(page, "DropLinkFile", texts::Q(texts::kOptionDropLinkFile), &E::DropLinkFile));
    layout->addWidget(
        AddCheck(page, "DropImgFile", texts::Q(texts::kOptionDropImgFile), &E::DropImgFile));
    layout->addWidget(
        AddCheck(page, "NewFixedScr", texts::Q(texts::kOptionNewFixedScr), &E::NewFixedScr));
    layout->addStretch(1);
    return page;
}

QWidget* TOptionDlg::BuildPluginPage() {
    auto* page = new QWidget;
    auto* box = new QGroupBox(texts::Q(texts::kOptionPlugins), page);
    spiDirEdit_ = new QLineEdit(box);
    spiRefBtn_ = new QPushButton(texts::Q(texts::kButtonBrowse), box);
    spiRefBtn_->setAutoDefault(false);
    spiRefBtn_->setFixedWidth(32);
    spiList_ = new QListWidget(box);
    spiList_->setFont(qv::MakeFont(
        qv::FontSpec{qv::kShiftJisCharset, std::string(qv::kFixedFontFace), 11, false, false}));
    auto* grid = new QGridLayout(box);
    auto* folderLabel = new QLabel(texts::Q(texts::kOptionPluginFolder), box);
    folderLabel->setBuddy(spiDirEdit_);
    spiList_->setAccessibleName(texts::Q(texts::kOptionPluginListName));
    grid->addWidget(folderLabel, 0, 0);
    grid->addWidget(spiDirEdit_, 0, 1);
    grid->addWidget(spiRefBtn_, 0, 2);
    grid->addWidget(spiList_, 1, 0, 1, 3);
    connect(spiRefBtn_, &QPushButton::clicked, this, &TOptionDlg::BrowsePlugins);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(box);
    return page;
}

// ---- Showing, OK and Cancel ----

void TOptionDlg::Begin(const std::string& activePath) {
    editor_.Show(env_, activePath);
    applied_ = {};
    LoadControls();
    tabs_->setCurrentIndex(0);
    show();
    colCombo_->setFocus();
}

int TOptionDlg::Execute(const std::string& activePath) {
    Begin(activePath);
    return exec();
}

void TOptionDlg::LoadControls() {
    loading_ = true;
    const qv::EnvData& w = editor_.Work();
    colCombo_->setCurrentIndex(0);
    fontCombo_->setCurrentIndex(0);
    gfLwd_->setValue(w.GFrameLineWidth);
    intLn_->setValue(w.GlstInterLine);
    asizeCombo_->setCurrentIndex(qv::ArrowSizeIndex(w.GLineArrowSize));
    atypeCombo_->setCurrentIndex(qv::ArrowTypeIndex(w.GLineArrowType));

    frgW_->setValue(w.FrgWidth);
    frgH_->setValue(w.FrgHeight);
    namW_->setValue(w.NamWidth);
    namH_->setValue(w.NamHeight);
    img1_->setValue(w.ImgRatio1);
    img2_->setValue(w.ImgRatio2);
    newPos_->setCurrentIndex(std::clamp(w.NewPosition - 1, 0, 8));
    awayPos_->setCurrentIndex(std::clamp(w.AwayPosition, 0, 3));
    movCsr_->setCurrentIndex(qv::MoveCursorIndex(w.MoveCurosr));
    crStr_->setText(qv::FromCp932(w.CR_String));

    for (const Switch& s : switches_)
        s.Box->setChecked((w.*(s.Field)) != s.Inverted);
    fastDraw_->setEnabled(env_.PlatformId == qv::kPlatformNt);
    UpdateCrStates();

    homeEdit_->setText(FromStorage(w.HomeWindow));
    setCurHomBtn_->setEnabled(editor_.CanUseActiveDocument());
    jpgQ_->setValue(std::clamp(w.JpegQuality, 10, 100));
    jpgQLabel_->setText(texts::Q(texts::kOptionJpegQuality).arg(jpgQ_->value()));
    spiDirEdit_->setText(FromStorage(w.SpiDir));
    FillPlugins();
    shortcuts_->Fill(commands_);
    loading_ = false;
    RedrawDesign();
}

void TOptionDlg::StoreControls() {
    qv::EnvData& w = editor_.Work();
    w.GFrameLineWidth = gfLwd_->value();
    w.GlstInterLine = intLn_->value();
    w.FrgWidth = frgW_->value();
    w.FrgHeight = frgH_->value();
    w.NamWidth = namW_->value();
    w.NamHeight = namH_->value();
    w.ImgRatio1 = img1_->value();
    w.ImgRatio2 = img2_->value();
    w.NewPosition = newPos_->currentIndex() + 1;
    w.AwayPosition = std::max(awayPos_->currentIndex(), 0);
    w.MoveCurosr = qv::MoveCursorOfIndex(movCsr_->currentIndex());
    w.CR_String = qv::ToCp932(crStr_->text());
    for (const Switch& s : switches_)
        w.*(s.Field) = s.Box->isChecked() != s.Inverted;
    w.HomeWindow = ToStorage(homeEdit_->text()).value_or(w.HomeWindow);
    w.JpegQuality = jpgQ_->value();
    w.SpiDir = ToStorage(spiDirEdit_->text()).value_or(w.SpiDir);
}

void TOptionDlg::done(int result) {
    if (editor_.IsShown()) {
        if (result == QDialog::Accepted) {
            // The settings file holds code page 932 text: a path it cannot name exactly is not
            // taken, and the dialog stays open to correct it.
            for (QLineEdit* field : {homeEdit_, spiDirEdit_}) {
                if (!ToStorage(field->text())) {
                    Warn(texts::Q(texts::kPathNotStorable).arg(field->text()));
                    field->setFocus();
                    return;
                }
            }
            StoreControls();
            applied_ = editor_.Accept();
            if (applied_.PluginsChanged) emit PluginFolderChanged();
            if (applied_.ImeChanged) emit ImeChanged(env_.IME_On);
        } else {
            editor_.Cancel();
        }
    }
    QDialog::done(result);
}

// ---- The design page ----

void TOptionDlg::RedrawDesign() {
    sample_->update();
    const int c = colCombo_->currentIndex();
    colButton_->setEnabled(c >= 0);
    QPalette pal = colPanel_->palette();
    pal.setColor(QPalette::Window,
                 c >= 0 ? qv::ToQColor(editor_.ColourOf(static_cast<OptionColour>(c)))
                        : palette().color(QPalette::Window));
    colPanel_->setPalette(pal);
    const int f = fontCombo_->currentIndex();
    fontButton_->setEnabled(f >= 0);
    fontLabel_->setText(f >= 0 ? qv::FromCp932(editor_.Font(static_cast<OptionFont>(f)).Face)
                               : QString());
}

void TOptionDlg::SampleChosen(const qv::SampleChoice& choice) {
    colCombo_->setCurrentIndex(choice.Colour ? static_cast<int>(*choice.Colour) : -1);
    if (!choice.FontKept)
        fontCombo_->setCurrentIndex(choice.Font ? static_cast<int>(*choice.Font) : -1);
    RedrawDesign();
}

void TOptionDlg::EditColour() {
    const int c = colCombo_->currentIndex();
    if (c < 0 || !ChooseColour) return;
    const auto which = static_cast<OptionColour>(c);
    OfferCustomColours(env_.CustomColors);
    const std::optional<QColor> chosen = ChooseColour(qv::ToQColor(editor_.ColourOf(which)));
    // Custom colours edited in the colour dialog are kept even when it was cancelled.
    editor_.TakeCustomColours(CustomColoursOfDialog());
    if (!chosen) return;
    editor_.SetColour(which, FromQColor(*chosen));
    RedrawDesign();
}

void TOptionDlg::EditFont() {
    const int f = fontCombo_->currentIndex();
    if (f < 0 || !ChooseFont) return;
    const auto which = static_cast<OptionFont>(f);
    qv::FontSpec& row = editor_.Font(which);
    const std::optional<QFont> chosen =
        ChooseFont(ChooserFont(row), which == OptionFont::GroupList);
    if (!chosen) return;
    row = SpecOf(*chosen, row.Charset);
    RedrawDesign();
}

// ---- The other pages ----

void TOptionDlg::UpdateCrStates() {
    crRetKey_->setEnabled(acceptCr_->isChecked());
    crStr_->setEnabled(acceptCr_->isChecked());
    ctlRetOk_->setEnabled(crRetKey_->isChecked());
}

void TOptionDlg::Warn(const QString& text) {
    prompts_.Warning(qv::ToCp932(text), qv::PromptButtons::Ok);
}

void TOptionDlg::BrowseHome() {
    if (!ChooseHomeFile) return;
    const QString path = ChooseHomeFile();
    if (path.isEmpty()) return;
    if (qv::CheckFragmentFile(QFile::encodeName(path).toStdString()) !=
        qv::FragmentFileCheck::FragmentFile) {
        Warn(texts::Q(texts::kOptionHomeNotFragmentFile).arg(path));
        return;
    }
    homeEdit_->setText(path);
}

void TOptionDlg::BrowsePlugins() {
    if (!ChooseFolder) return;
    const QString folder = ChooseFolder(spiDirEdit_->text());
    if (folder.isEmpty()) return;
    const std::optional<std::string> stored = ToStorage(folder);
    if (!stored) {
        Warn(texts::Q(texts::kPathNotStorable).arg(folder));
        return;
    }
    editor_.ChoosePluginFolder(*stored);
    emit PluginFolderChanged();
    spiDirEdit_->setText(folder);
    FillPlugins();
}

void TOptionDlg::FillPlugins() {
    spiList_->clear();
    if (!PluginLines) return;
    for (const std::string& line : PluginLines())
        spiList_->addItem(qv::FromCp932(line));
}
