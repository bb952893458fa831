// Pictures of the document window's tools for looking at them as a user does. Runs only on a real
// display with QV_SCREENSHOT_DIR set, e.g.
//   QT_QPA_PLATFORM=xcb QV_SCREENSHOT_DIR=/tmp/shots xvfb-run -a -s "-screen 0 1280x900x24"
//       build/debug/tests/gui_tests --gtest_filter='Screenshots.*'
// The X server does not put the pointer into a screen grab, so the cursor image is drawn onto each
// picture at the pointer's place (its hot spot on the pointer).
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "app/app_services.h"
#include "app/commands/card_commands.h"
#include "app/composition.h"
#include "app/document/document_manager.h"
#include "app/document/mdi_child.h"
#include "app/document/tool_cursors.h"
#include "app/main_window/main_form.h"
#include "core/model/frag_set.h"
#include "core/settings/env_data.h"

namespace {

const std::string kExample = std::string(QV_SOURCE_DIR) + "/examples/brainstorm.csv";

class Screenshots : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = qEnvironmentVariable("QV_SCREENSHOT_DIR");
        if (dir_.isEmpty() || QGuiApplication::platformName() == QLatin1String("offscreen"))
            GTEST_SKIP() << "needs a display and QV_SCREENSHOT_DIR";
        QDir().mkpath(dir_);
        services_ = std::make_unique<AppServices>();
        program_ = BuildProgram(*services_);
        form_ = &program_->Window();
        form_->setGeometry(20, 20, 1000, 700);
        form_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form_));
        child_ = form_->Documents().OpenDocument(kExample);
        ASSERT_NE(child_, nullptr);
        child_->parentWidget()->showMaximized();
        child_->SetScrollPosition(qv::ScrollAxis::Vertical, 0);
        child_->SetScrollPosition(qv::ScrollAxis::Horizontal, 0);
        QTest::qWait(200);
    }
    void TearDown() override {
        if (form_) {
            form_->Services().SetTool(qv::ToolMode::Normal);
            if (child_) child_->ApproveClose();
        }
    }

    QPoint At(QPoint p) const { return child_->viewport()->mapTo(form_, p); }
    QWindow* Window() const { return form_->windowHandle(); }
    void Press(QPoint p, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers m = {}) {
        QTest::mousePress(Window(), b, m, At(p));
    }
    void Move(QPoint p, Qt::KeyboardModifiers m = {}) {
        QCursor::setPos(child_->viewport()->mapToGlobal(p));
        QTest::mouseEvent(QTest::MouseMove, Window(), Qt::NoButton, m, At(p));
    }
    void Release(QPoint p, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers m = {}) {
        QTest::mouseRelease(Window(), b, m, At(p));
    }

    // The screen with the window's current cursor drawn at the pointer.
    void Shot(const QString& name, bool withCursor = true) {
        QApplication::processEvents();
        QTest::qWait(100);
        QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
        if (withCursor) {
            const QCursor cursor = child_->viewport()->cursor();
            QPainter p(&screen);
            const QPoint pos = QCursor::pos();
            if (!cursor.pixmap().isNull()) {
                p.drawPixmap(pos - cursor.hotSpot(), cursor.pixmap());
            } else {
                // The platform's arrow: a plain outline of one.
                const QPolygon arrow({pos, pos + QPoint(0, 16), pos + QPoint(4, 12),
                                      pos + QPoint(7, 18), pos + QPoint(9, 17), pos + QPoint(6, 11),
                                      pos + QPoint(11, 11)});
                p.setPen(Qt::black);
                p.setBrush(Qt::white);
                p.drawPolygon(arrow);
            }
        }
        const QString path = dir_ + QLatin1Char('/') + name + QStringLiteral(".png");
        EXPECT_TRUE(screen.save(path)) << path.toStdString();
    }

    // Opens `menu` by a right click at `p` and takes its picture before closing it.
    void MenuShot(QMenu& menu, QPoint p, const QString& name) {
        auto connection = std::make_shared<QMetaObject::Connection>();
        auto taken = std::make_shared<bool>(false);
        *connection = QObject::connect(&menu, &QMenu::aboutToShow, &menu, [=, &menu, this] {
            QObject::disconnect(*connection);
            QTimer::singleShot(300, &menu, [=, &menu, this] {
                Shot(name, false);
                menu.close();
                *taken = true;
            });
        });
        Move(p);
        Press(p, Qt::RightButton);
        Release(p, Qt::RightButton);
        for (int i = 0; i < 40 && !*taken; ++i)
            QTest::qWait(50);
        EXPECT_TRUE(*taken) << name.toStdString();
    }

    QString dir_;
    std::unique_ptr<AppServices> services_;
    std::unique_ptr<Program> program_;
    TQuillovaMainForm* form_ = nullptr;
    TMDIChild* child_ = nullptr;
};

TEST_F(Screenshots, CursorImagesEnlarged) {
    // Every cursor four times its size on a card colour, the hot spot marked red.
    constexpr int kScale = 4;
    constexpr int kCell = 32 * kScale + 16;
    QImage strip(kCell * 8, kCell, QImage::Format_RGB32);
    strip.fill(QColor(0x80, 0x80, 0x00));
    QPainter p(&strip);
    int i = 0;
    for (int n = static_cast<int>(qv::CursorShape::GrabLeft);
         n <= static_cast<int>(qv::CursorShape::SpuitTool); ++n, ++i) {
        QPoint hot;
        const QPixmap image = qv::ToolCursorImage(static_cast<qv::CursorShape>(n), &hot);
        const QRect cell(i * kCell + 8, 8, 32 * kScale, 32 * kScale);
        p.fillRect(cell, Qt::white);
        p.drawPixmap(cell, image);
        p.fillRect(QRect(cell.topLeft() + hot * kScale, QSize(kScale, kScale)), Qt::red);
    }
    p.end();
    EXPECT_TRUE(strip.save(dir_ + QStringLiteral("/cursor_images.png")));
}

TEST_F(Screenshots, ToolCursorsOverACard) {
    const QPoint onCard(120, 130);  // "音声でメモを取れる"
    child_->SetTool(qv::ToolMode::Group);
    Move(onCard);
    Shot(QStringLiteral("cursor_group_tool"));
    child_->SetTool(qv::ToolMode::GroupLine);
    Move(onCard);
    Shot(QStringLiteral("cursor_line_tool"));
    child_->SetTool(qv::ToolMode::Brush);
    const QPoint aboveCard = onCard - qv::kBrushTipOffset;
    Move(aboveCard);
    Shot(QStringLiteral("cursor_paint_tool"));
    Press(aboveCard, Qt::RightButton);
    Shot(QStringLiteral("cursor_spuit_tool"));
    Release(aboveCard, Qt::RightButton);
    child_->SetTool(qv::ToolMode::Normal);

    form_->Env().MoveCurosr = static_cast<int>(qv::CursorShape::GrabLeft);
    Move(onCard);
    Press(onCard);
    Move(onCard + QPoint(20, 10));
    Shot(QStringLiteral("cursor_grab_left"));
    QTest::keyPress(Window(), Qt::Key_Control, Qt::ControlModifier);
    Move(onCard + QPoint(40, 20), Qt::ControlModifier);
    Shot(QStringLiteral("cursor_pick_left"));
    QTest::keyRelease(Window(), Qt::Key_Control);
    Release(onCard + QPoint(40, 20));
    child_->Undo();
}

TEST_F(Screenshots, RubberBandAndRubberLine) {
    Move(QPoint(600, 60));
    Press(QPoint(600, 60));
    Move(QPoint(800, 200));
    Move(QPoint(900, 260));
    Shot(QStringLiteral("rubber_band"));
    Release(QPoint(900, 260));

    child_->SetTool(qv::ToolMode::GroupLine);
    Move(QPoint(70, 95));
    Press(QPoint(70, 95));
    Move(QPoint(300, 300));
    Move(QPoint(560, 400));
    Shot(QStringLiteral("rubber_line"));
    Release(QPoint(30, 600));  // outside every frame: no line
}

TEST_F(Screenshots, PopUpMenus) {
    MenuShot(*form_->FragmentPopup(), QPoint(120, 130), QStringLiteral("popup_fragment"));
    MenuShot(*form_->FragmentPopup(), QPoint(600, 380), QStringLiteral("popup_page"));
    form_->SetTool(qv::ToolMode::Group);
    MenuShot(*form_->GroupToolPopup(), QPoint(600, 380), QStringLiteral("popup_group_tool"));
    form_->SetTool(qv::ToolMode::Brush);
    MenuShot(*program_->Cards().BrushPopup(), QPoint(600, 380), QStringLiteral("popup_brush"));
    form_->SetTool(qv::ToolMode::Normal);
}

TEST_F(Screenshots, GroupLineMenu) {
    qv::FragSet& set = child_->Set();
    ASSERT_FALSE(set.GroupLines.empty());
    const qv::ArrowLine& line = set.GroupLines[0];
    const QPoint middle((line.WinStart.X + line.WinEnd.X) / 2,
                        (line.WinStart.Y + line.WinEnd.Y) / 2);
    MenuShot(*program_->Cards().LinePopup(), middle, QStringLiteral("popup_group_line"));
    child_->SetTool(qv::ToolMode::GroupLine);
    MenuShot(*program_->Cards().LinePopup(), QPoint(700, 500),
             QStringLiteral("popup_group_line_tool"));
}

}  // namespace
