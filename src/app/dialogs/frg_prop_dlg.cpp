#include "app/dialogs/frg_prop_dlg.h"

#include "app/dialogs/colour_choice.h"
#include "app/file_chooser.h"
#include "app/platform/plain_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QInputMethod>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <climits>

#include "app/texts.h"
#include "core/commands/jump_history.h"
#include "core/content/link_content.h"
#include "core/content/spi_unit.h"
#include "core/dialogs/memo_text.h"
#include "core/model/frag_set.h"
#include "core/settings/env_data.h"
#include "core/settings/paths.h"
#include "core/settings/usr_ini_file.h"
#include "core/settings/window_state.h"
#include "core/text/cp932.h"
#include "render/painting/colors.h"
#include "render/text/fonts.h"
#include "render/text/qt_text.h"
#include "render/text/text_face.h"
#include "render/text/text_layout.h"

namespace {

constexpr qv::FragmentKind kKinds[4] = {qv::FragmentKind::Text, qv::FragmentKind::NamePlate,
                                        qv::FragmentKind::Symbol, qv::FragmentKind::Image};

int KindIndex(qv::FragmentKind k) {
    return static_cast<int>(k) - 1;
}

QString Utf8(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// A line-break inserted in the memo by a key: the memo holds "\n" only.
void InsertBreak(QPlainTextEdit* memo) {
    memo->insertPlainText(QStringLiteral("\n"));
}

}  // namespace

TFrgPropDlg::TFrgPropDlg(qv::EnvData& env, qv::UsrIniFile& ini, const qv::SpiUnit* plugins,
                         QWidget* parent)
    : QDialog(parent), env_(env), ini_(ini), plugins_(plugins), ctl_(env), imeOpen_(env.IME_On) {
    setObjectName(QStringLiteral("FrgPropDlg"));
    BuildControls();
    setSizeGripEnabled(true);
    setAcceptDrops(true);
    chooser_ = [this](const QColor& initial) {
        return ChooseColourWithCustom(env_, initial, this);
    };
}

TFrgPropDlg::~TFrgPropDlg() = default;

void TFrgPropDlg::SetImeOpen(bool on) {
    imeOpen_ = on;
    if (isVisible() && memo_->hasFocus() && !memo_->isReadOnly() && on)
        QGuiApplication::inputMethod()->show();
}

void TFrgPropDlg::BuildControls() {
    groupBox_ = new QComboBox(this);
    groupBox_->setObjectName(QStringLiteral("GroupComboBox"));
    groupBox_->setMaxVisibleItems(20);
    auto* groupLabel = new QLabel(texts::Q(texts::kPropGroup), this);
    groupLabel->setBuddy(groupBox_);

    memo_ = new QPlainTextEdit(this);
    memo_->setObjectName(QStringLiteral("Memo1"));
    memo_->setAccessibleName(texts::Q(texts::kPropMemoName));
    memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo_->setTabChangesFocus(true);
    memo_->installEventFilter(this);

    typeBox_ = new QGroupBox(texts::Q(texts::kPropType), this);
    typeBox_->setObjectName(QStringLiteral("TypeGroupBox"));
    const char* kindNames[4] = {"NormalRadioBtn", "PlateRadioBtn", "SymbolRadioBtn",
                                "ImageRadioBtn"};
    const QStringList kindCaptions = texts::Qs(texts::kPropKinds);
    auto* typeLayout = new QVBoxLayout(typeBox_);
    for (int i = 0; i < 4; ++i) {
        kindButtons_[i] = new QRadioButton(kindCaptions[i], typeBox_);
        kindButtons_[i]->setObjectName(QString::fromLatin1(kindNames[i]));
        typeLayout->addWidget(kindButtons_[i]);
        connect(kindButtons_[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (!on || updating_) return;
            ctl_.ChooseKind(kKinds[i]);
            ShowState();
            ApplyMemoLook();
            if (ctl_.MemoEditable()) memo_->setFocus();
        });
    }

    sizeBox_ = new QGroupBox(texts::Q(texts::kPropSize), this);
    sizeBox_->setObjectName(QStringLiteral("SizeGroupBox"));
    widthEdit_ = new QSpinBox(sizeBox_);
    widthEdit_->setObjectName(QStringLiteral("FrgWdEdit"));
    widthEdit_->setRange(1, qv::kMaxCardColumns);
    heightEdit_ = new QSpinBox(sizeBox_);
    heightEdit_->setObjectName(QStringLiteral("FrgHiEdit"));
    heightEdit_->setRange(1, qv::kMaxCardLines);
    colsLabel_ = new QLabel(texts::Q(texts::kPropColumns), sizeBox_);
    colsLabel_->setObjectName(QStringLiteral("SizeX_Label"));
    slashLabel_ = new QLabel(texts::Q(texts::kPropSlash), sizeBox_);
    slashLabel_->setObjectName(QStringLiteral("SizePer_Label"));
    linesLabel_ = new QLabel(texts::Q(texts::kPropLines), sizeBox_);
    linesLabel_->setObjectName(QStringLiteral("SizeY_Label"));
    fitButton_ = new QPushButton(texts::Q(texts::kPropFit), sizeBox_);
    fitButton_->setObjectName(QStringLiteral("FitButton"));
    fitButton_->setAutoDefault(false);
    auto* sizeLayout = new QHBoxLayout(sizeBox_);
    sizeLayout->addWidget(widthEdit_);
    sizeLayout->addWidget(colsLabel_);
    sizeLayout->addWidget(slashLabel_);
    sizeLayout->addWidget(heightEdit_);
    sizeLayout->addWidget(linesLabel_);
    sizeLayout->addWidget(fitButton_);
    connect(widthEdit_, &QSpinBox::valueChanged, this, [this](int v) {
        if (updating_) return;
        ctl_.ChangeWidth(v);
        ShowState();
    });
    connect(heightEdit_, &QSpinBox::valueChanged, this, [this](int v) {
        if (updating_) return;
        ctl_.ChangeHeight(v);
        ShowState();
    });
    connect(fitButton_, &QPushButton::clicked, this, [this] {
        ctl_.Fit();
        ShowState();
    });

    auto* colourBox = new QGroupBox(texts::Q(texts::kPropColours), this);
    colourBox->setObjectName(QStringLiteral("ColGroupBox"));
    charColourButton_ = new QPushButton(texts::Q(texts::kPropTextColour), colourBox);
    charColourButton_->setObjectName(QStringLiteral("CharColorBtn"));
    backColourButton_ = new QPushButton(texts::Q(texts::kPropBackColour), colourBox);
    backColourButton_->setObjectName(QStringLiteral("BackColorBtn"));
    transparentBox_ = new QCheckBox(texts::Q(texts::kPropTransparent), colourBox);
    transparentBox_->setObjectName(QStringLiteral("TrnsChkBox"));
    for (QPushButton* b : {charColourButton_, backColourButton_})
        b->setAutoDefault(false);
    auto* colourLayout = new QHBoxLayout(colourBox);
    colourLayout->addWidget(charColourButton_);
    colourLayout->addWidget(backColourButton_);
    colourLayout->addWidget(transparentBox_);
    connect(charColourButton_, &QPushButton::clicked, this, [this] { ChooseColour(false); });
    connect(backColourButton_, &QPushButton::clicked, this, [this] { ChooseColour(true); });
    connect(transparentBox_, &QCheckBox::stateChanged, this, [this](int state) {
        if (updating_) return;
        ctl_.SetTransparent(state == Qt::Checked            ? qv::CheckState::Checked
                            : state == Qt::PartiallyChecked ? qv::CheckState::Undetermined
                                                            : qv::CheckState::Unchecked);
        ShowState();
    });

    auto* linkBox = new QGroupBox(texts::Q(texts::kPropLink), this);
    linkBox->setObjectName(QStringLiteral("LinkGrpBox"));
    linkEdit_ = new QLineEdit(linkBox);
    linkEdit_->setObjectName(QStringLiteral("LinkNameEdit"));
    // Alt+L goes to the field itself: the box alone would return to whichever of its buttons
    // had the focus last.
    linkBox_ = linkBox;
    linkBox->installEventFilter(this);
    browseButton_ = new QPushButton(texts::Q(texts::kButtonBrowse), linkBox);
    browseButton_->setObjectName(QStringLiteral("LinkRefBtn"));
    extractButton_ = new QPushButton(texts::Q(texts::kPropExtract), linkBox);
    extractButton_->setObjectName(QStringLiteral("LnkExBtn"));
    for (QPushButton* b : {browseButton_, extractButton_}) {
        b->setAutoDefault(false);
        b->setFixedWidth(b->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
    }
    auto* linkLayout = new QHBoxLayout(linkBox);
    linkLayout->addWidget(linkEdit_, 1);
    linkLayout->addWidget(browseButton_);
    linkLayout->addWidget(extractButton_);
    connect(linkEdit_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (updating_) return;
        ctl_.SetLink(qv::ToCp932(text));
        ShowState();
    });
    connect(browseButton_, &QPushButton::clicked, this, &TFrgPropDlg::BrowseLink);
    connect(extractButton_, &QPushButton::clicked, this, &TFrgPropDlg::OpenExtractionMenu);
    extractMenu_ = new QMenu(this);
    extractMenu_->setObjectName(QStringLiteral("PopupMenu1"));

    okButton_ = new QPushButton(texts::Q(texts::kButtonOkWide), this);
    okButton_->setObjectName(QStringLiteral("OkBtn"));
    okButton_->setDefault(true);
    cancelButton_ = new QPushButton(texts::Q(texts::kButtonCancel), this);
    cancelButton_->setObjectName(QStringLiteral("CancelBtn"));
    cancelButton_->setAutoDefault(false);
    connect(okButton_, &QPushButton::clicked, this, &TFrgPropDlg::accept);
    connect(cancelButton_, &QPushButton::clicked, this, &TFrgPropDlg::reject);

    connect(groupBox_, &QComboBox::activated, this, [this](int item) {
        ctl_.ChangeGroup(item);
        ShowState();
    });
    connect(memo_, &QPlainTextEdit::textChanged, this, &TFrgPropDlg::MemoChanged);

    auto* top = new QHBoxLayout;
    top->addWidget(groupLabel);
    top->addWidget(groupBox_, 1);
    auto* side = new QVBoxLayout;
    side->addWidget(typeBox_);
    side->addWidget(sizeBox_);
    side->addWidget(colourBox);
    side->addStretch(1);
    auto* middle = new QHBoxLayout;
    middle->addWidget(memo_, 1);
    middle->addLayout(side);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);
    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addLayout(middle, 1);
    all->addWidget(linkBox);
    all->addLayout(buttons);
    setMinimumSize(all->minimumSize().expandedTo(QSize(420, 300)));
}

int TFrgPropDlg::CountLines(std::string_view text, int columns, qv::FragmentKind font) const {
    const qv::FontSpec& row = FontOf(env_, font);
    const int h = std::abs(row.PixelHeight());
    const long long width = static_cast<long long>(columns) * h;
    if (width <= 0 || width > INT_MAX) return env_.FrgHeight;
    const QFontMetrics metrics(qv::MakeFont(row));
    qv::TextLayoutParams params;
    params.Width = static_cast<int>(width);
    params.LineLimit = INT_MAX;
    params.LineHeight = h;
    params.AcceptCr = env_.Accept_CR;
    params.Marker = "\r\n";
    std::vector<qv::LaidLine> lines;
    qv::LayoutTextLines(
        text, params,
        [&metrics](std::string_view ch) { return metrics.horizontalAdvance(qv::FromCp932(ch)); },
        lines);
    return std::max<int>(1, static_cast<int>(lines.size()));
}

int TFrgPropDlg::exec() {
    // Placement: stored under "FrgPropDlg", by default 100 pixels in from the main window.
    const QPoint origin =
        parentWidget() ? parentWidget()->window()->geometry().topLeft() : QPoint();
    const QSize minimum = minimumSize();
    const qv::WindowPlacement p = qv::ReadPlacement(
        ini_, "FrgPropDlg", minimum.height(), minimum.width(), origin.y() + 100, origin.x() + 100);
    const QSize size =
        p.HasSize ? QSize(std::max(p.Width, minimum.width()), std::max(p.Height, minimum.height()))
                  : this->size();
    // Position and size are those of the dialog's own area, as done() stores them.
    setGeometry(QRect(QPoint(p.Left, p.Top), size));

    const bool opened = ctl_.Open(request_, [this](std::string_view t, int c, qv::FragmentKind k) {
        return CountLines(t, c, k);
    });
    request_.LinkPreset = ctl_.Request().LinkPreset;
    if (!opened) {
        ctl_.Close();
        return QDialog::Rejected;
    }

    updating_ = true;
    setWindowTitle(ctl_.NewMode() ? texts::Q(texts::kPropNewTitle) : texts::Q(texts::kPropTitle));
    groupBox_->clear();
    for (const std::string& name : ctl_.GroupItems())
        groupBox_->addItem(qv::FromCp932(name));
    memo_->setLineWrapMode(env_.InputWordWrap ? QPlainTextEdit::WidgetWidth
                                              : QPlainTextEdit::NoWrap);
    if (ctl_.MemoEditable()) {
        memo_->setReadOnly(false);
        memo_->setPlainText(Utf8(qv::CardTextToMemo(ctl_.InitialText(), "\r\n")));
    } else {
        memo_->setReadOnly(true);
        memo_->setPlainText(texts::Q(texts::kPropNotEditable));
    }
    memoBefore_ = memo_->toPlainText();
    linkEdit_->setText(qv::FromCp932(ctl_.Link()));
    updating_ = false;
    ShowState();
    ApplyMemoLook();
    if (ctl_.MemoEditable()) {
        memo_->setFocus();
        memo_->moveCursor(QTextCursor::End);
        // Asked for once the memo really has the focus, that is once the dialog shows.
        if (imeOpen_)
            QTimer::singleShot(0, this, [this] {
                if (memo_->hasFocus()) QGuiApplication::inputMethod()->show();
            });
    } else {
        groupBox_->setFocus();
    }
    return QDialog::exec();
}

void TFrgPropDlg::ShowState() {
    const bool was = updating_;
    updating_ = true;
    const bool multi = ctl_.MultiEdit();
    groupBox_->setCurrentIndex(ctl_.GroupItem());
    for (int i = 0; i < 4; ++i) {
        kindButtons_[i]->setEnabled(ctl_.KindEnabled(kKinds[i]));
        if (KindIndex(ctl_.Kind()) == i) kindButtons_[i]->setChecked(true);
    }
    const bool image = ctl_.ImageScale();
    sizeBox_->setTitle(image ? texts::Q(texts::kPropRatio) : texts::Q(texts::kPropSize));
    colsLabel_->setVisible(!image);
    linesLabel_->setVisible(!image);
    slashLabel_->setVisible(image);
    widthEdit_->setEnabled(ctl_.SizeEnabled());
    heightEdit_->setEnabled(ctl_.SizeEnabled());
    widthEdit_->setMaximum(ctl_.WidthMax());
    widthEdit_->setValue(ctl_.Width());
    heightEdit_->setValue(ctl_.Height());
    fitButton_->setVisible(ctl_.FitVisible());
    fitButton_->setEnabled(ctl_.FitEnabled());
    charColourButton_->setVisible(ctl_.ColourButtonsVisible());
    backColourButton_->setVisible(ctl_.ColourButtonsVisible());
    backColourButton_->setEnabled(ctl_.BackButtonEnabled());
    charColourButton_->setText(ctl_.TextColourChangedMark()
                                   ? texts::Q(texts::kPropTextColourChanged)
                                   : texts::Q(texts::kPropTextColour));
    backColourButton_->setText(ctl_.BackColourChangedMark()
                                   ? texts::Q(texts::kPropBackColourChanged)
                                   : texts::Q(texts::kPropBackColour));
    transparentBox_->setVisible(ctl_.TransparentVisible());
    transparentBox_->setTristate(ctl_.TransparentTristate());
    transparentBox_->setCheckState(ctl_.Transparent() == qv::CheckState::Checked ? Qt::Checked
                                   : ctl_.Transparent() == qv::CheckState::Undetermined
                                       ? Qt::PartiallyChecked
                                       : Qt::Unchecked);
    linkEdit_->setEnabled(ctl_.LinkEnabled());
    browseButton_->setEnabled(ctl_.LinkEnabled());
    extractButton_->setEnabled(ctl_.ExtractEnabled());
    okButton_->setEnabled(ctl_.OkEnabled());

    // Greyed fields of a multiple edit: the button-face colour until the user touches them.
    // Only the enabled look is set: a disabled field keeps the desktop's disabled colours, or
    // it would look as if it could be typed in.
    const auto setEnabledColour = [](QPalette& pal, QPalette::ColorRole role, const QColor& c) {
        pal.setColor(QPalette::Active, role, c);
        pal.setColor(QPalette::Inactive, role, c);
    };
    auto grey = [&setEnabledColour](QWidget* w, bool greyed) {
        QPalette pal = w->palette();
        setEnabledColour(pal, QPalette::Base,
                         greyed ? qv::ToQColor(qv::kSysButtonFace) : qv::ToQColor(qv::kSysWindow));
        w->setPalette(pal);
    };
    grey(groupBox_, ctl_.GroupGreyed());
    grey(widthEdit_, ctl_.WidthGreyed());
    grey(heightEdit_, ctl_.HeightGreyed());
    grey(linkEdit_, multi);
    QPalette hp = heightEdit_->palette();
    setEnabledColour(
        hp, QPalette::Text,
        ctl_.HeightAboveDefault() ? QColor(Qt::red) : qv::ToQColor(qv::kSysWindowText));
    heightEdit_->setPalette(hp);
    updating_ = was;
}

void TFrgPropDlg::ApplyMemoLook() {
    memo_->setFont(qv::MakeFont(FontOf(env_, ctl_.MemoFont())));
    QPalette pal = memo_->palette();
    pal.setColor(QPalette::Base, qv::ToQColor(ctl_.MemoBack()));
    pal.setColor(QPalette::Text, qv::ToQColor(ctl_.MemoFore()));
    memo_->setPalette(pal);
}

void TFrgPropDlg::MemoChanged() {
    if (updating_ || !ctl_.MemoEditable()) return;
    QString text = memo_->toPlainText();
    // The card keeps at most 800 bytes: an insertion beyond is cut, whole characters only.
    int caret = -1;
    const std::string before = memoBefore_.toStdString();
    const std::string after = text.toStdString();
    const std::string kept = qv::LimitInsertion(before, after, qv::kMaxCardTextBytes, caret);
    if (caret >= 0) {
        updating_ = true;
        text = Utf8(kept);
        memo_->setPlainText(text);
        QTextCursor c = memo_->textCursor();
        c.setPosition(std::min(caret, static_cast<int>(text.size())));
        memo_->setTextCursor(c);
        updating_ = false;
    }
    memoBefore_ = text;
    const qv::CardTextConversion conv = qv::MemoToCardText(text.toStdString(), "\r\n");
    ctl_.ChangeText(conv.Text);
    ShowState();
}

void TFrgPropDlg::accept() {
    if (!ctl_.OkEnabled()) return;
    std::string cardText;
    if (ctl_.MemoEditable()) {
        const qv::CardTextConversion conv =
            qv::MemoToCardText(memo_->toPlainText().toStdString(), env_.CR_String);
        if (!conv.Complete()) {
            // Nothing the user typed may vanish: say what cannot be kept and let them change it.
            qv::ShowPlainMessageBox(
                this, QMessageBox::Warning, texts::Q(texts::kWarningTitle),
                texts::Q(texts::kPropUnheldCharacters).arg(Utf8(qv::JoinCharacters(conv.Unheld))),
                QMessageBox::Ok);
            memo_->setFocus();
            return;
        }
        cardText = conv.Text;
        bool complete = true;
        const std::string link = qv::ToCp932(linkEdit_->text(), &complete);
        if (!complete) {
            qv::ShowPlainMessageBox(this, QMessageBox::Warning, texts::Q(texts::kWarningTitle),
                                    texts::Q(texts::kPropLinkNotStorable).arg(linkEdit_->text()),
                                    QMessageBox::Ok);
            linkEdit_->setFocus();
            return;
        }
        ctl_.SetLink(link);
    }
    ctl_.Apply(cardText);
    QDialog::accept();
}

void TFrgPropDlg::done(int result) {
    ctl_.Close();
    request_.AtPoint = false;
    request_.FromGroupList = false;
    const QRect g = geometry();
    qv::WritePlacement(ini_, "FrgPropDlg",
                       qv::Rect{g.left(), g.top(), g.right() + 1, g.bottom() + 1});
    QDialog::done(result);
}

bool TFrgPropDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == linkBox_ && event->type() == QEvent::Shortcut) {
        if (linkEdit_->isEnabled()) {
            linkEdit_->setFocus(Qt::ShortcutFocusReason);
            linkEdit_->selectAll();
        }
        return true;
    }
    if (watched == memo_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            reject();
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            const bool enterBreaks = env_.Accept_CR && env_.CR_ReturnKey;
            const bool ctrl = key->modifiers() & Qt::ControlModifier;
            if (memo_->isReadOnly()) {
                accept();
            } else if (ctrl && enterBreaks && env_.OK_CtrlReturn) {
                accept();
            } else if (ctrl || enterBreaks) {
                // Ctrl+Enter breaks the line where Enter means OK, as in any dialog memo.
                if (env_.Accept_CR) InsertBreak(memo_);
            } else {
                accept();
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

std::string TFrgPropDlg::LinkFile() const {
    const std::string doc = request_.Target ? request_.Target->FileName : std::string();
    return qv::LinkFilePath(ctl_.Link(), doc).value_or(std::string());
}

QMenu* TFrgPropDlg::ExtractionMenu() {
    extractMenu_->clear();
    const std::vector<qv::ExtractItem> items = qv::ExtractItemsFor(ctl_.Link(), LinkFile());
    for (qv::ExtractItem item : items) {
        QString caption;
        switch (item) {
            case qv::ExtractItem::Title:
                caption = texts::Q(texts::kExtractTitle);
                break;
            case qv::ExtractItem::MetaDescription:
                caption = texts::Q(texts::kExtractMetaDescription);
                break;
            case qv::ExtractItem::MetaKeywords:
                caption = texts::Q(texts::kExtractMetaKeywords);
                break;
            case qv::ExtractItem::FirstLine:
                caption = texts::Q(texts::kExtractFirstLine);
                break;
            case qv::ExtractItem::Mp3Track:
                caption = texts::Q(texts::kExtractMp3Track);
                break;
            case qv::ExtractItem::Mp3Artist:
                caption = texts::Q(texts::kExtractMp3Artist);
                break;
            case qv::ExtractItem::Mp3Album:
                caption = texts::Q(texts::kExtractMp3Album);
                break;
            case qv::ExtractItem::Mp3Year:
                caption = texts::Q(texts::kExtractMp3Year);
                break;
            case qv::ExtractItem::Mp3Comment:
                caption = texts::Q(texts::kExtractMp3Comment);
                break;
        }
        QAction* a = extractMenu_->addAction(caption);
        connect(a, &QAction::triggered, this, [this, item] { Extract(item); });
    }
    return extractMenu_;
}

void TFrgPropDlg::OpenExtractionMenu() {
    QMenu* menu = ExtractionMenu();
    if (menu->actions().isEmpty()) return;
    menu->exec(extractButton_->mapToGlobal(QPoint(8, 8)));
}

void TFrgPropDlg::Extract(qv::ExtractItem item) {
    const std::string text = qv::ExtractLinkText(LinkFile(), item);
    if (text.empty() || !ctl_.MemoEditable()) return;
    memo_->insertPlainText(qv::FromCp932(text));
    memo_->setFocus();
}

void TFrgPropDlg::BrowseLink() {
    const bool image = ctl_.Kind() == qv::FragmentKind::Image;
    const char* dirKey = image ? "FrgPropDlgImageDir" : "FrgPropDlgLinkDir";
    const QString dir =
        QFile::decodeName(qv::PathFromStorage(ini_.ReadString("General", dirKey, ""))
                              .value_or(std::string())
                              .c_str());
    QStringList filters;
    if (image) {
        // Every picture the card can show, whatever its ending says, comes first.
        filters = PictureFilters(plugins_);
    } else {
        filters << texts::Q(texts::kFilterLinkDocuments) << texts::Q(texts::kFilterLinkText)
                << texts::Q(texts::kFilterLinkHtml) << texts::Q(texts::kFilterLinkOther);
    }
    QString selected = filters.front();
    const QString file = QFileDialog::getOpenFileName(
        this, image ? texts::Q(texts::kPropChooseImage) : texts::Q(texts::kPropChooseLink), dir,
        filters.join(QStringLiteral(";;")), &selected);
    if (file.isEmpty()) return;
    linkEdit_->setText(file);
    // The folder is kept only when the settings file can name it exactly.
    const qv::StoredPath folder =
        qv::PathForStorage(QFile::encodeName(QFileInfo(file).absolutePath()).toStdString());
    if (folder.Exact) ini_.WriteString("General", dirKey, folder.Bytes);
}

void TFrgPropDlg::ChooseColour(bool back) {
    const QColor initial = qv::ToQColor(back ? ctl_.MemoBack() : ctl_.MemoFore());
    const std::optional<QColor> c = chooser_(initial);
    if (!c) return;
    const qv::Color value = FromQColor(*c);
    if (back)
        ctl_.SetBackColour(value);
    else
        ctl_.SetTextColour(value);
    ShowState();
    ApplyMemoLook();
}

void TFrgPropDlg::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls() && !ctl_.MultiEdit()) event->acceptProposedAction();
}

void TFrgPropDlg::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || ctl_.MultiEdit()) return;
    const QUrl& first = urls.front();
    linkEdit_->setText(first.isLocalFile() ? first.toLocalFile() : first.toString());
    event->acceptProposedAction();
}
