// Opening, finding and closing document windows.
#include <QMdiArea>
#include <QMdiSubWindow>

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QStyle>

#include <algorithm>
#include <filesystem>
#include "app/app_services.h"
#include "app/document/mdi_child.h"

#include "app/main_window/main_form.h"
#include "app/platform/program_icons.h"
#include "app/platform/qt_ports.h"
#include "app/platform/reasons.h"
#include "app/texts.h"
#include "core/content/spi_unit.h"
#include "core/io/fragment_file.h"
#include "core/model/frag_set.h"
#include "core/model/fragment.h"
#include "core/settings/env_data.h"
#include "core/settings/paths.h"
#include "core/text/cp932.h"
#include "core/text/text_helpers.h"
#include "render/picture.h"
#include "render/qt_text.h"

namespace {

int FieldAsInt(const std::string& field, int fallback) {
    return qv::ParseInt(field).value_or(fallback);
}

}  // namespace

TMDIChild* TQuillovaMainForm::ActiveChild() const {
    QMdiSubWindow* sub = mdiArea_->activeSubWindow();
    if (!sub) sub = mdiArea_->currentSubWindow();
    return sub ? qobject_cast<TMDIChild*>(sub->widget()) : nullptr;
}

qv::FragSet* TQuillovaMainForm::ActiveDocument() const {
    TMDIChild* child = ActiveChild();
    return child ? &child->Set() : nullptr;
}

int TQuillovaMainForm::DocumentCount() const {
    return static_cast<int>(mdiArea_->subWindowList().size());
}

TMDIChild* TQuillovaMainForm::FindChild(const std::string& path) const {
    const QList<QMdiSubWindow*> windows = mdiArea_->subWindowList();
    for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
        auto* child = qobject_cast<TMDIChild*>((*it)->widget());
        if (child && !child->Set().FileName.empty() &&
            qv::SameDocumentPath(child->Set().FileName, path)) {
            return child;
        }
    }
    return nullptr;
}

TMDIChild* TQuillovaMainForm::NewChildWindow() {
    auto* child = new TMDIChild(services_, host_);
    connect(child, &TMDIChild::PopupRequested, this, &TQuillovaMainForm::ShowDocumentPopup);
    connect(child, &TMDIChild::StatusMessage, this, &TQuillovaMainForm::ShowMessage);
    connect(child, &TMDIChild::BrushColorPicked, this, &TQuillovaMainForm::UpdateBrushPanel);
    connect(child, &TMDIChild::EscapePressed, this, [this] {
        if (groupListShown_ && OnFocusGroupList) OnFocusGroupList();
    });
    // A press, drag or key in the document may change the selection the rules look at.
    child->viewport()->installEventFilter(this);
    child->installEventFilter(this);
    QMdiSubWindow* sub = mdiArea_->addSubWindow(child);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowIcon(DocumentIcon());
    if (DocumentCount() == 1 && Env().ChildWinMaximize) {
        sub->showMaximized();
    } else {
        sub->setGeometry(NewWindowPlace(sub));
        sub->show();
    }
    // A document made under another tool starts with that tool's pointer and line step.
    child->ApplyTool();
    return child;
}

QRect TQuillovaMainForm::NewWindowPlace(const QMdiSubWindow* sub) const {
    // The default size, at the first place down the cascade (one title bar down and right from
    // the one before) that the fewest other windows take; all of it within the visible area.
    const QRect area = mdiArea_->viewport()->rect();
    const QSize size = QSize(kChildWidth, kChildHeight)
                           .boundedTo(area.size())
                           .expandedTo(QSize(kChildMinWidth, kChildMinHeight));
    const int step =
        std::max(8, sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, sub));
    const QList<QMdiSubWindow*> windows = mdiArea_->subWindowList();
    QPoint best(0, 0);
    qsizetype fewest = -1;
    for (QPoint at(0, 0); area.contains(QRect(at, size)); at += QPoint(step, step)) {
        const qsizetype taken =
            std::count_if(windows.begin(), windows.end(), [&](const QMdiSubWindow* other) {
                return other != sub && other->isVisible() && !other->isMinimized() &&
                       !other->isMaximized() && other->pos() == at;
            });
        if (fewest < 0 || taken < fewest) {
            fewest = taken;
            best = at;
        }
        if (taken == 0) break;
    }
    return QRect(best, size);
}

void TQuillovaMainForm::ShowDocumentWindow(QMdiSubWindow* sub) {
    if (!sub) return;
    if (sub->isMinimized()) sub->showNormal();
    if (!sub->isMaximized()) {
        // A window left outside the visible area (the frame got smaller, or it was moved away)
        // comes back into it.
        const QRect area = mdiArea_->viewport()->rect();
        QRect place = sub->geometry();
        if (!area.contains(place)) {
            place.setSize(place.size().boundedTo(area.size()));
            place.moveLeft(std::clamp(place.left(), 0, std::max(0, area.width() - place.width())));
            place.moveTop(std::clamp(place.top(), 0, std::max(0, area.height() - place.height())));
            sub->setGeometry(place);
        }
    }
    mdiArea_->setActiveSubWindow(sub);
}

TMDIChild* TQuillovaMainForm::NewDocumentWindow() {
    return DocumentCount() < kMaxDocuments ? NewChildWindow() : nullptr;
}

void TQuillovaMainForm::OpenHandedOver(const std::string& filePath) {
    BringToFront();
    if (filePath.empty()) return;
    const std::string path = qv::AbsoluteDocumentPath(filePath);
    if (DocumentCount() >= kMaxDocuments && !FindChild(path)) {
        services_.Prompts().Warning(std::string("[")
                                        .append(qv::Utf8ToCp932(path).Bytes)
                                        .append("]\n")
                                        .append(texts::Cp932(texts::kCannotOpenMore)),
                                    qv::PromptButtons::Ok);
        return;
    }
    OpenDocument(path);
}

TMDIChild* TQuillovaMainForm::OpenDocument(const std::string& filePath) {
    const auto hold = services_.Refresh().HoldViews();

    if (filePath == texts::Cp932(texts::kUntitled)) {
        if (DocumentCount() >= kMaxDocuments) return nullptr;
        TMDIChild* child = NewChildWindow();
        if (Env().NewFixedScr) child->Set().SetFixedSize(true);
        child->Set().RedrawAll();
        return child;
    }

    const std::string path = qv::AbsoluteDocumentPath(filePath);
    // Messages are code page 932 text; the path is shown as near as it can be.
    const std::string shownPath = qv::Utf8ToCp932(path).Bytes;
    if (TMDIChild* open = FindChild(path)) {
        ShowDocumentWindow(qobject_cast<QMdiSubWindow*>(open->parentWidget()));
        return open;
    }
    if (DocumentCount() >= kMaxDocuments) return nullptr;
    // The file is read once: the look at its first line and the reading use the same bytes.
    const qv::WholeFile bytes =
        qv::ReadWholeFile(std::filesystem::path(path), qv::kMaxDocumentFileSize);
    if (bytes.Status == qv::WholeFile::Result::Missing) {
        services_.Prompts().Warning("[" + shownPath + texts::Cp932(texts::kDoesNotExist),
                                    qv::PromptButtons::Ok);
        return nullptr;
    }
    if (bytes.Status != qv::WholeFile::Result::Read) {
        // A folder, a device or a file this user may not read would open as an empty document.
        services_.Prompts().Warning(
            "[" + shownPath + texts::Cp932("]を読み込めません\n") +
                qv::ToCp932(qv::ReadFailureReason(bytes.Problem, bytes.Why)),
            qv::PromptButtons::Ok);
        return nullptr;
    }
    const bool foreign =
        qv::CheckFragmentBytes(path, bytes.Bytes) != qv::FragmentFileCheck::FragmentFile;
    if (foreign &&
        services_.Prompts().Warning("[" + shownPath + texts::Cp932(texts::kNotFragmentFile),
                                    qv::PromptButtons::YesNo) != qv::PromptAnswer::Yes)
        return nullptr;

    TMDIChild* child = NewChildWindow();
    qv::FragSet& set = child->Set();

    // The view of the document as it was left: shown groups, scroll position, group-list group.
    int scrollY = 0;
    int scrollX = 0;
    std::vector<std::string> fields;
    if (Env().FindFileHistory(path, fields) >= 0) {
        for (int g = 1; g <= qv::kMaxGroup; ++g)
            set.ShowGroup(g, FieldAsInt(fields[static_cast<std::size_t>(g)], 1) == 1);
        scrollY = FieldAsInt(fields[101], 0);
        scrollX = FieldAsInt(fields[102], 0);
        int group = FieldAsInt(fields[103], 1);
        set.PickGroupListGroup(group);
    }

    const qv::ReadResult read = child->Load(path, bytes);
    if (foreign) set.MarkModified();
    if (read.ConvertedFromUtf8) {
        std::string text =
            "[" + shownPath +
            texts::Cp932(read.Utf16 ? texts::kConvertedFromUtf16 : texts::kConvertedFromUtf8);
        if (!read.UnconvertibleLines.empty()) {
            text += texts::Cp932(texts::kUnconvertibleLines);
            for (std::size_t i = 0; i < read.UnconvertibleLines.size(); ++i)
                text += (i ? ", " : "") + std::to_string(read.UnconvertibleLines[i]);
        }
        services_.Prompts().Warning(text, qv::PromptButtons::Ok);
    }
    set.RefreshVisibility();
    if (Env().RestoreScrPos) {
        child->SetScrollPosition(qv::ScrollAxis::Vertical, scrollY);
        child->SetScrollPosition(qv::ScrollAxis::Horizontal, scrollX);
    }
    return child;
}

void TQuillovaMainForm::OpenStartDocument() {
    if (!services_.StartFile().empty()) {
        OpenDocument(services_.StartFile());
    } else if (Env().OpenLastFile && !Env().LastFile.empty()) {
        if (const auto path = qv::PathFromStorage(Env().LastFile)) OpenDocument(*path);
    } else if (const auto home = qv::PathFromStorage(Env().HomeWindow); home && !home->empty()) {
        TMDIChild* child = OpenDocument(*home);
        if (child && Env().HomWinMaximize && child->parentWidget())
            child->parentWidget()->showMaximized();
    }
}

bool TQuillovaMainForm::CloseRemembering(const std::string& lastFile) {
    exitLastFile_ = lastFile;
    const bool closed = close();
    exitLastFile_.reset();
    return closed;
}

bool TQuillovaMainForm::CloseAllDocuments() {
    const QList<QMdiSubWindow*> windows = mdiArea_->subWindowList();
    // Every document is asked before any closes; one that refuses leaves all of them open as
    // they were, asking again at the next close and kept out of the recent files.
    for (QMdiSubWindow* sub : windows) {
        auto* child = qobject_cast<TMDIChild*>(sub->widget());
        if (child && !child->AskToClose()) return false;
    }
    TMDIChild* active = ActiveChild();
    // A path the settings file cannot hold exactly is left out rather than stored as another.
    Env().LastFile = exitLastFile_ ? *exitLastFile_
                     : active      ? qv::PathForStorage(active->Set().FileName).Bytes
                                   : std::string();
    for (QMdiSubWindow* sub : windows) {
        if (auto* child = qobject_cast<TMDIChild*>(sub->widget())) child->AgreeToClose();
        sub->close();
    }
    return true;
}

QList<TMDIChild*> TQuillovaMainForm::Children() const {
    QList<TMDIChild*> list;
    for (QMdiSubWindow* sub : mdiArea_->subWindowList()) {
        if (auto* child = qobject_cast<TMDIChild*>(sub->widget())) list.append(child);
    }
    return list;
}

// ---- Dropped files ----

namespace {

bool IsPicturePath(const QString& upperSuffix, const qv::SpiUnit& plugins) {
    const std::string ext = std::string(".").append(upperSuffix.toStdString());
    if (qv::PictureFormatOf(ext) != qv::PictureFormat::Other) return true;
    for (const qv::spi_info& plugin : plugins.Plugins()) {
        if (!plugin.Pattern.empty() && qv::PatternExtension(plugin.Pattern) == ext) return true;
    }
    return false;
}

}  // namespace

void TQuillovaMainForm::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TQuillovaMainForm::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) paths.append(url.toLocalFile());
    }
    event->acceptProposedAction();
    DropFiles(paths);
}

void TQuillovaMainForm::DropFiles(const QStringList& paths) {
    qv::FragSet* target = ActiveDocument();
    const qv::EnvData& env = Env();
    bool stopped = false;
    int index = 0;
    for (; index < paths.size(); ++index) {
        if (DocumentCount() >= kMaxDocuments) {
            stopped = true;
            break;
        }
        const QString& local = paths[index];
        // The file name stays the user's own bytes; a card's link holds it as the file format
        // stores paths.
        const std::string path = QFile::encodeName(local).toStdString();
        const QString suffix = QFileInfo(local).suffix().toUpper();
        if (suffix == QStringLiteral("CSV")) {
            OpenDocument(path);
            continue;
        }
        if (!target || (!env.DropLinkFile && !env.DropImgFile)) {
            QApplication::beep();
            continue;
        }
        if (env.DropImgFile && IsPicturePath(suffix, services_.Plugins())) {
            // A card cannot keep a link the file format cannot hold exactly.
            const qv::StoredPath link = qv::PathForStorage(path);
            if (!link.Exact) {
                QApplication::beep();
                continue;
            }
            qv::Fragment* f = target->AddFragment();
            if (!f) {
                stopped = true;
                break;
            }
            f->Kind = qv::FragmentKind::Image;
            f->Text = texts::Cp932(texts::kImageCardText);
            f->Group = env.NewNoGroup ? qv::kNoGroup : target->CurrentGroup();
            target->ShowGroup(f->Group, true);
            f->Columns = env.ImgRatio1;
            f->Lines = env.ImgRatio2;
            f->ColBG = 0xFFFFFF;
            f->Visible = true;
            const qv::Point p = target->NewFragmentPosition(f->Columns, f->Lines, index);
            f->Left = p.X;
            f->Top = p.Y;
            f->Link = link.Bytes;
            f->LoadPicture();
            target->Recount();
            target->MarkModified();
            target->RefreshRequest();
            continue;
        }
        if (target->FragmentByLink(qv::PathForStorage(path).Bytes) &&
            services_.Prompts().Warning(std::string("[")
                                            .append(qv::Utf8ToCp932(path).Bytes)
                                            .append(texts::Cp932(texts::kAlreadyLinked)),
                                        qv::PromptButtons::YesNo) != qv::PromptAnswer::Yes) {
            continue;
        }
        // A link card is made in the property dialog; without it the file is passed over.
        if (OnDropLinkFile) {
            OnDropLinkFile(*target, path);
            TurnImeOff();
        } else {
            QApplication::beep();
        }
    }
    if (stopped && index < paths.size()) {
        services_.Prompts().Warning(texts::Cp932(texts::kCannotOpenMore), qv::PromptButtons::Ok);
    }
    RefreshViews();
    DispStatusUpdate();
    UpdateCommands();
}

bool TQuillovaMainForm::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonRelease:
        case QEvent::KeyRelease:
            // After the document has handled it; the counts and the title's modified mark
            // follow at once rather than at the next tick.
            QMetaObject::invokeMethod(
                this,
                [this] {
                    DispStatusUpdate();
                    UpdateCommands();
                },
                Qt::QueuedConnection);
            break;
        default:
            break;
    }
    return QMainWindow::eventFilter(watched, event);
}
