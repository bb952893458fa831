#include "app/main_form.h"

#include <QCloseEvent>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>

#include "app/main_window/card_dialogs.h"
#include "app/mdi_child.h"
#include "app/platform/link_follower.h"
#include "app/qt_ports.h"
#include "core/content/spi_unit.h"
#include "core/io/text_exchange.h"
#include "core/model/frag_buffer.h"
#include "core/settings/env_data.h"
#include "core/settings/usr_ini_file.h"
#include "core/settings/window_state.h"
#include "render/picture_loader.h"
#include "render/qt_text_metrics.h"

namespace {

constexpr int kDefaultWidth = 800;
constexpr int kDefaultHeight = 600;

}  // namespace

TQuillovaMainForm::TQuillovaMainForm(const qv::StartupArguments& startup, QWidget* parent)
    : QMainWindow(parent),
      ini_(startup.IniPath.empty() ? std::make_unique<qv::UsrIniFile>()
                                   : std::make_unique<qv::UsrIniFile>(startup.IniPath)),
      env_(std::make_unique<qv::EnvData>(*ini_)),
      startFile_(startup.StartFile),
      metrics_(std::make_unique<qv::QtTextMetrics>(*env_)),
      plugins_(std::make_unique<qv::SpiUnit>(env_->SpiDir)),
      pictures_(std::make_unique<qv::FilePictureLoader>(plugins_.get())),
      prompts_(std::make_unique<qv::QtPrompts>(this)),
      clipboard_(std::make_unique<qv::QtClipboard>()),
      random_(std::make_unique<qv::DefaultRandomSource>()),
      links_(std::make_unique<qv::LinkFollower>(*env_, *prompts_)),
      buffer_(std::make_unique<qv::FragBuffer>(
          *env_, *prompts_, *clipboard_,
          [](const qv::FragSet& set) { return qv::ClipboardText(set); })) {
    services_.Ini = ini_.get();
    services_.Env = env_.get();
    services_.Buffer = buffer_.get();
    services_.Metrics = metrics_.get();
    services_.Pictures = pictures_.get();
    services_.Prompts = prompts_.get();
    services_.Clipboard = clipboard_.get();
    services_.Random = random_.get();
    services_.Links = links_.get();
    services_.Host = this;
    links_->SetOpenDocument(
        [this](const std::string& path) { return OpenDocument(path) != nullptr; });
    links_->SetMaximiseActive([this] {
        if (TMDIChild* child = ActiveChild(); child && child->parentWidget())
            child->parentWidget()->showMaximized();
    });
    cards_ = std::make_unique<CardDialogs>(*env_, *ini_, plugins_.get(), this);

    setWindowTitle(QStringLiteral("Quillovarsta"));
    mdiArea_ = new QMdiArea(this);
    mdiArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdiArea_);
    BuildStatusBar();
    RestorePlacement();

    timer_ = new QTimer(this);
    timer_->setInterval(250);
    connect(timer_, &QTimer::timeout, this, &TQuillovaMainForm::TimerTick);
    connect(mdiArea_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow*) {
        env_->RefreshPending = true;
        DispStatusUpdate();
    });
}

void TQuillovaMainForm::EditSelection(qv::FragSet& set) {
    cards_->EditSelection(set);
}

void TQuillovaMainForm::NewFragment(qv::FragSet& set, const qv::NewFragmentRequest& request) {
    cards_->NewFragment(set, request);
}

void TQuillovaMainForm::BuildStatusBar() {
    for (int i = 0; i < 3; ++i) {
        statusPanels_[i] = new QLabel(this);
        statusBar()->addWidget(statusPanels_[i], i == 2 ? 1 : 0);
    }
    statusPanels_[0]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    const QFontMetrics fm(statusPanels_[0]->font());
    statusPanels_[0]->setMinimumWidth(fm.horizontalAdvance(QStringLiteral("00/00 ")));
    statusPanels_[1]->setMinimumWidth(
        fm.horizontalAdvance(QStringLiteral("断片数=1000  /選択中=1000 ")));
    DispStatusUpdate();
}

void TQuillovaMainForm::DispStatusUpdate() {
    const QList<QMdiSubWindow*> windows = mdiArea_->subWindowList();
    const qv::FragSet* active = ActiveDocument();
    if (!active) {
        statusPanels_[0]->setText(QStringLiteral("0/%1").arg(windows.size()));
        statusPanels_[1]->clear();
        return;
    }
    int modified = 0;
    for (QMdiSubWindow* sub : windows) {
        if (auto* child = qobject_cast<TMDIChild*>(sub->widget()); child && child->Set().Modified)
            ++modified;
    }
    statusPanels_[0]->setText(QStringLiteral("%1/%2 ").arg(modified).arg(windows.size()));
    statusPanels_[1]->setText(QStringLiteral("断片数=%1  /選択中=%2")
                                  .arg(active->Count())
                                  .arg(active->SelectionList.size()));
}

void TQuillovaMainForm::ShowMessage(const QString& text) {
    statusPanels_[2]->setText(text);
}

void TQuillovaMainForm::RefreshViews() {
    if (qv::FragSet* set = ActiveDocument()) {
        set->RefreshVisibility();
        set->RepaintTouchedFrames();
    }
}

void TQuillovaMainForm::TimerTick() {
    DispStatusUpdate();
    if (env_->RefreshLock > 0 || !isActiveWindow()) return;
    if (env_->RefreshPending) {
        RefreshViews();
        env_->RefreshPending = false;
    }
}

TQuillovaMainForm::~TQuillovaMainForm() {
    // Document windows go first, before the services their documents refer to, including the
    // ones already closed whose deletion is still pending.
    const QList<QMdiSubWindow*> windows = mdiArea_->findChildren<QMdiSubWindow*>();
    for (QMdiSubWindow* w : windows)
        delete w;
}

void TQuillovaMainForm::RestorePlacement() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const int centredLeft = area.left() + (area.width() - kDefaultWidth) / 2;
    const int centredTop = area.top() + (area.height() - kDefaultHeight) / 2;
    const auto p =
        qv::ReadPlacement(*ini_, "Win", kDefaultHeight, kDefaultWidth, centredTop, centredLeft);
    QRect stored(p.Left, p.Top, p.Width, p.Height);
    // A place on a screen that is gone (or a hand-edited file) must not hide the window.
    bool visible = false;
    for (const QScreen* s : QGuiApplication::screens())
        visible = visible || s->availableGeometry().intersects(stored);
    if (!visible && !QGuiApplication::screens().isEmpty()) {
        stored.setSize(stored.size().boundedTo(area.size()));
        stored.moveCenter(area.center());
    }
    setGeometry(stored);
}

void TQuillovaMainForm::BringToFront() {
    if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void TQuillovaMainForm::ShowAsStored() {
    switch (ini_->ReadInteger("General", "WinState", 0)) {
        case 1:
            showMinimized();
            break;
        case 2:
            showMaximized();
            break;
        default:
            show();
            break;
    }
    OpenStartDocument();
    env_->RefreshLock = 0;
    timer_->start();
}

bool TQuillovaMainForm::SaveSettings() {
    env_->RefreshLock = 1;
    const QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    qv::WritePlacement(*ini_, "Win",
                       qv::Rect::FromSize(normal.x(), normal.y(), normal.width(), normal.height()));
    const Qt::WindowStates state = windowState();
    ini_->WriteInteger("General", "WinState",
                       state & Qt::WindowMinimized   ? 1
                       : state & Qt::WindowMaximized ? 2
                                                     : 0);
    return env_->Save(*ini_);
}

void TQuillovaMainForm::closeEvent(QCloseEvent* event) {
    // Every document window is asked first; one that refuses keeps the program open.
    if (!CloseAllDocuments()) {
        event->ignore();
        return;
    }
    timer_->stop();
    ShowMessage(QStringLiteral("終了処理中..."));
    // Without a settings file (tests) there is nothing to keep.
    // A write-protected settings file was reported at start.
    if (!ini_->Path().empty() && !SaveSettings() &&
        ini_->LastWriteProblem() != qv::WriteProblem::ReadOnly) {
        QMessageBox::warning(this, QStringLiteral("警告"),
                             QStringLiteral("[%1]設定を保存できませんでした\n%2")
                                 .arg(QFile::decodeName(ini_->Path().c_str()),
                                      QString::fromStdString(ini_->LastError())));
    }
    event->accept();
}
