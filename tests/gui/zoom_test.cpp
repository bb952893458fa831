// A zoomed document window: every mouse operation at 50 % and 200 % lands on the same document
// points as at full size, the zoom commands and their keys on either keyboard, Ctrl + wheel and
// pinch around the pointer, fits, the status panel, and that zoom never touches the document.
// Driven through the platform's own event path like the editing tests.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QNativeGestureEvent>
#include <QPointingDevice>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QWheelEvent>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

#include "app/app_services.h"
#include "app/commands/card_commands.h"
#include "app/commands/command_registry.h"
#include "app/composition.h"
#include "app/document/document_manager.h"
#include "app/document/mdi_child.h"
#include "app/document/tool_cursors.h"
#include "app/main_window/main_form.h"
#include "app/panels/map_viewer.h"
#include "app/texts.h"
#include "core/model/frag_buffer.h"
#include "core/model/frag_set.h"
#include "core/settings/env_data.h"
#include "render/painting/colors.h"
#include "render/painting/document_painter.h"
#include "render/painting/render_cache.h"
#include "unit/model/fakes.h"

namespace {

class QuietPrompts : public qv::Prompts {
  public:
    std::vector<std::string> Asked;
    qv::PromptAnswer Warning(std::string_view text, qv::PromptButtons) override {
        Asked.emplace_back(text);
        return qv::PromptAnswer::Ok;
    }
    qv::PromptAnswer Question(std::string_view text, qv::PromptButtons) override {
        Asked.emplace_back(text);
        return qv::PromptAnswer::No;
    }
};

class ZoomFixture {
  protected:
    void Start() {
        services_.Prompts().Redirect(&prompts_);
        // The modal property dialog stays shut; requests are recorded instead.
        QObject::disconnect(&form_.Documents(), &DocumentManager::EditSelectionRequested,
                            &program_->Cards(), nullptr);
        QObject::disconnect(&form_.Documents(), &DocumentManager::NewFragmentRequested,
                            &program_->Cards(), nullptr);
        form_.resize(1000, 760);
        form_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form_));
    }
    void Stop() {
        form_.Services().SetTool(qv::ToolMode::Normal);
        for (QMdiSubWindow* sub : form_.DocumentArea()->subWindowList())
            if (auto* child = qobject_cast<TMDIChild*>(sub->widget())) child->ApproveClose();
    }

    TMDIChild* NewDocument() {
        TMDIChild* child = form_.Documents().NewDocument();
        if (child) {
            child->parentWidget()->showMaximized();
            QApplication::processEvents();
        }
        return child;
    }
    static qv::Fragment* Card(TMDIChild* c, const char* text, int group, int left, int top) {
        return qv::test::AddCard(c->Set(), text, group, left, top);
    }
    static void Refresh(TMDIChild* c) {
        c->Set().Recount();
        c->Set().RefreshVisibility();
        c->Set().RedrawAll();
    }

    // The viewport pixel showing document point `doc`, worked out here rather than by the window.
    static QPoint V(TMDIChild* c, QPoint doc) {
        const double z = c->Zoom();
        const QPoint client = doc - QPoint(c->ScrollPosition(qv::ScrollAxis::Horizontal),
                                           c->ScrollPosition(qv::ScrollAxis::Vertical));
        return QPoint(static_cast<int>(std::lround(client.x() * z)),
                      static_cast<int>(std::lround(client.y() * z)));
    }
    // The document point a viewport pixel shows.
    static QPointF D(TMDIChild* c, QPointF viewport) {
        return viewport / c->Zoom() + QPointF(c->ScrollPosition(qv::ScrollAxis::Horizontal),
                                              c->ScrollPosition(qv::ScrollAxis::Vertical));
    }

    QPoint At(TMDIChild* c, QPoint viewport) const {
        return c->viewport()->mapTo(&form_, viewport);
    }
    QWindow* Window() { return form_.windowHandle(); }
    void Press(TMDIChild* c, QPoint doc, Qt::MouseButton b = Qt::LeftButton,
               Qt::KeyboardModifiers m = {}) {
        QTest::mousePress(Window(), b, m, At(c, V(c, doc)));
    }
    void Move(TMDIChild* c, QPoint doc, Qt::KeyboardModifiers m = {}) {
        QTest::mouseEvent(QTest::MouseMove, Window(), Qt::NoButton, m, At(c, V(c, doc)));
    }
    void Release(TMDIChild* c, QPoint doc, Qt::MouseButton b = Qt::LeftButton,
                 Qt::KeyboardModifiers m = {}) {
        QTest::mouseRelease(Window(), b, m, At(c, V(c, doc)));
    }
    // A drag between document points, in four steps of the pointer.
    void Drag(TMDIChild* c, QPoint from, QPoint to) {
        const QPoint a = V(c, from), b = V(c, to);
        QTest::mousePress(Window(), Qt::LeftButton, {}, At(c, a));
        for (int i = 1; i <= 4; ++i)
            QTest::mouseEvent(QTest::MouseMove, Window(), Qt::NoButton, {},
                              At(c, a + (b - a) * i / 4));
        QTest::mouseRelease(Window(), Qt::LeftButton, {}, At(c, b));
    }
    static void Wheel(TMDIChild* c, QPoint viewport, QPoint angle, QPoint pixels = {},
                      Qt::KeyboardModifiers mods = Qt::ControlModifier) {
        QWheelEvent wheel(viewport, c->viewport()->mapToGlobal(viewport), pixels, angle,
                          Qt::NoButton, mods, Qt::NoScrollPhase, false);
        QApplication::sendEvent(c->viewport(), &wheel);
    }

    QuietPrompts prompts_;
    AppServices services_;
    std::unique_ptr<Program> program_ = BuildProgram(services_);
    TQuillovaMainForm& form_ = program_->Window();
};

// ---- Every mouse operation at 50 % and 200 % ----

class ZoomedMouseTest : public ZoomFixture, public ::testing::TestWithParam<double> {
  protected:
    void SetUp() override { Start(); }
    void TearDown() override { Stop(); }
    // A new window at the zoom of the test, scrolled to the page's start.
    TMDIChild* Zoomed() {
        TMDIChild* c = NewDocument();
        if (!c) return nullptr;
        c->SetZoom(GetParam(), QPointF(0, 0));
        c->SetScrollPosition(qv::ScrollAxis::Horizontal, 0);
        c->SetScrollPosition(qv::ScrollAxis::Vertical, 0);
        return c;
    }
};

TEST_P(ZoomedMouseTest, PressAndDragMoveCardsByDocumentPixels) {
    TMDIChild* c = Zoomed();
    ASSERT_NE(c, nullptr);
    ASSERT_EQ(c->Zoom(), GetParam());
    qv::Fragment* a = Card(c, "a", 0, 100, 100);
    qv::Fragment* b = Card(c, "b", 0, 300, 100);
    Refresh(c);
    Drag(c, QPoint(110, 106), QPoint(170, 146));
    EXPECT_EQ(a->Left, 160);
    EXPECT_EQ(a->Top, 140);
    EXPECT_EQ(b->Left, 300);
    EXPECT_TRUE(a->Selected);
    // Its screen rectangle is client coordinates in document pixels, whatever the zoom.
    EXPECT_EQ(a->ScreenRect.Left, 160);
}

TEST_P(ZoomedMouseTest, TheRubberBandSelectsWhatItsDocumentRectangleHolds) {
    TMDIChild* c = Zoomed();
    ASSERT_NE(c, nullptr);
    qv::Fragment* a = Card(c, "a", 0, 100, 100);
    qv::Fragment* b = Card(c, "b", 0, 200, 100);
    qv::Fragment* far = Card(c, "far", 0, 300, 240);
    Refresh(c);
    Drag(c, QPoint(80, 80), QPoint(280, 160));
    EXPECT_TRUE(a->Selected);
    EXPECT_TRUE(b->Selected);
    EXPECT_FALSE(far->Selected);
    EXPECT_EQ(c->Set().SelectionList.size(), 2u);
}

TEST_P(ZoomedMouseTest, TheRubberBandScrollsThePageWithinScreenPixelsOfTheWindowsEdge) {
    TMDIChild* c = Zoomed();
    ASSERT_NE(c, nullptr);
    Card(c, "wide", 0, 9000, 100);
    Refresh(c);
    ASSERT_EQ(c->ScrollPosition(qv::ScrollAxis::Horizontal), 0);
    const int y = V(c, QPoint(0, 300)).y();
    const int w = c->viewport()->width();
    Press(c, QPoint(100, 300));
    QTest::mouseEvent(QTest::MouseMove, Window(), Qt::NoButton, {}, At(c, QPoint(w - 22, y)));
    QTest::mouseEvent(QTest::MouseMove, Window(), Qt::NoButton, {}, At(c, QPoint(w - 20, y)));
    const int scrolled = c->ScrollPosition(qv::ScrollAxis::Horizontal);
    QTest::mouseRelease(Window(), Qt::LeftButton, {}, At(c, QPoint(w - 20, y)));
    // 16 screen pixels a step.
    EXPECT_EQ(scrolled, static_cast<int>(16 / GetParam()));
}

TEST_P(ZoomedMouseTest, ADraggedCardScrollsThePageWithinScreenPixelsOfTheWindowsEdge) {
    TMDIChild* c = Zoomed();
    ASSERT_NE(c, nullptr);
    qv::Fragment* a = Card(c, "a", 0, 100, 300);
    Card(c, "wide", 0, 9000, 100);
    Refresh(c);
    const int y = V(c, QPoint(0, 306)).y();
    const auto dragTo = [&](int fromEdge) {
        c->SetScrollPosition(qv::ScrollAxis::Horizontal, 0);
        const int w = c->viewport()->width();  // a scroll bar may have come or gone
        Press(c, QPoint(a->Left + 6, 306));
        QTest::mouseEvent(QTest::MouseMove, Window(), Qt::NoButton, {},
                          At(c, QPoint(w - fromEdge - 2, y)));
        QTest::mouseEvent(QTest::MouseMove, Window(), Qt::NoButton, {},
                          At(c, QPoint(w - fromEdge, y)));
        const int scrolled = c->ScrollPosition(qv::ScrollAxis::Horizontal);
        QTest::mouseRelease(Window(), Qt::LeftButton, {}, At(c, QPoint(w - fromEdge, y)));
        a->Left = 100;
        Refresh(c);
        return scrolled;
    };
    // Inside the 32-pixel zone it scrolls by 16 screen pixels; outside, not at all.
    EXPECT_EQ(dragTo(20), static_cast<int>(16 / GetParam()));
    EXPECT_EQ(dragTo(40), 0);
}

TEST_P(ZoomedMouseTest, TheGroupLineAndBrushToolsActOnDocumentPoints) {
    TMDIChild* c = Zoomed();
    ASSERT_NE(c, nullptr);
    qv::Fragment* a = Card(c, "a", 0, 100, 100);
    qv::Fragment* b = Card(c, "b", 0, 200, 100);
    qv::Fragment* other = Card(c, "c", 2, 400, 100);
    Refresh(c);
    // Grouping: the rectangle around a and b makes group 1.
    c->SetTool(qv::ToolMode::Group);
    Drag(c, QPoint(80, 80), QPoint(280, 160));
    EXPECT_EQ(a->Group, 1);
    EXPECT_EQ(b->Group, 1);
    EXPECT_EQ(other->Group, 2);
    Refresh(c);
    // A line from group 1's frame (beside card a) to group 2's card.
    c->SetTool(qv::ToolMode::GroupLine);
    ASSERT_EQ(c->Set().GroupFrameAt(96, 92), 1);
    Press(c, QPoint(96, 92));
    Move(c, QPoint(300, 110));
    Move(c, QPoint(410, 106));
    Release(c, QPoint(410, 106));
    ASSERT_EQ(c->Set().GroupLines.size(), 1u);
    EXPECT_EQ(c->Set().GroupLines[0].From, 1);
    EXPECT_EQ(c->Set().GroupLines[0].To, 2);
    // The brush paints the card under its tip, which sits a fixed number of screen pixels from
    // the pointer's hot spot.
    c->SetTool(qv::ToolMode::Brush);
    form_.Env().Colors.BrushTool = 0x123456;
    const QPoint tip = V(c, QPoint(210, 106));
    QTest::mousePress(Window(), Qt::LeftButton, {}, At(c, tip - qv::kBrushTipOffset));
    QTest::mouseRelease(Window(), Qt::LeftButton, {}, At(c, tip - qv::kBrushTipOffset));
    EXPECT_EQ(b->ColBG, 0x123456u);
    EXPECT_NE(a->ColBG, 0x123456u);
}

TEST_P(ZoomedMouseTest, RightClicksOpenTheMenuOfWhatIsUnderThePointer) {
    TMDIChild* c = Zoomed();
    ASSERT_NE(c, nullptr);
    qv::Fragment* a = Card(c, "a", 0, 100, 100);
    Card(c, "b", 0, 300, 100);
    Refresh(c);
    QSignalSpy spy(c, &TMDIChild::PopupRequested);
    const auto rightClick = [&](QPoint doc) {
        Press(c, doc, Qt::RightButton);
        Release(c, doc, Qt::RightButton);
        if (QWidget* open = QApplication::activePopupWidget()) open->close();
        return spy.isEmpty() ? PopupKind::None : spy.takeLast().at(1).value<PopupKind>();
    };
    EXPECT_EQ(rightClick(QPoint(110, 106)), PopupKind::Fragment);
    EXPECT_TRUE(a->Selected);
    EXPECT_EQ(rightClick(QPoint(200, 300)), PopupKind::Fragment);
    form_.SetTool(qv::ToolMode::Brush);
    EXPECT_EQ(rightClick(QPoint(200, 300)), PopupKind::Brush);
}

TEST_P(ZoomedMouseTest, ADoubleClickAsksForANewCardAtTheDocumentPoint) {
    TMDIChild* c = Zoomed();
    ASSERT_NE(c, nullptr);
    Card(c, "a", 4, 100, 100);
    Card(c, "b", 4, 300, 200);
    Refresh(c);
    std::vector<qv::NewFragmentRequest> asked;
    QObject::connect(&form_.Documents(), &DocumentManager::NewFragmentRequested,
                     [&](qv::FragSet&, const qv::NewFragmentRequest& r) { asked.push_back(r); });
    QTest::mouseDClick(Window(), Qt::LeftButton, {}, At(c, V(c, QPoint(250, 150))));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].AtPoint);
    EXPECT_EQ(asked[0].At.X, 251);
    EXPECT_EQ(asked[0].At.Y, 151);
    EXPECT_EQ(asked[0].PresetGroup, 4);
}

TEST_P(ZoomedMouseTest, PasteAtTheMouseAndDropsLandInTheDocumentUnderTheWindow) {
    TMDIChild* c = Zoomed();
    ASSERT_NE(c, nullptr);
    qv::Fragment* source = Card(c, "copied", 0, 40, 40);
    Card(c, "x", 3, 200, 200);
    Card(c, "y", 3, 300, 260);
    Card(c, "wide", 0, 6000, 100);
    Refresh(c);
    source->SetSelected(true);
    c->Set().RebuildSelection();
    ASSERT_TRUE(form_.Commands().Run(CommandId::EditCopy));
    const QPoint inFrame(290, 216);
    ASSERT_EQ(c->Set().GroupFrameAt(inFrame.x(), inFrame.y()), 3);
    QCursor::setPos(c->viewport()->mapToGlobal(V(c, inFrame)));
    ASSERT_TRUE(form_.Commands().Run(CommandId::EditPasteEx));
    const qv::Fragment& pasted = *c->Set().Fragments().back();
    EXPECT_EQ(pasted.Text, "copied");
    EXPECT_EQ(pasted.Left, inFrame.x());
    EXPECT_EQ(pasted.Top, inFrame.y());
    EXPECT_EQ(pasted.Group, 3);

    // A dropped picture is placed inside the part of the page the window shows.
    form_.Env().DropImgFile = true;
    c->SetScrollPosition(qv::ScrollAxis::Horizontal, 200);
    form_.Documents().DropFiles({QString::fromUtf8(QV_SOURCE_DIR "/examples/idea.bmp")});
    const qv::Fragment& dropped = *c->Set().Fragments().back();
    ASSERT_EQ(dropped.Kind, qv::FragmentKind::Image);
    const int shownFrom = c->ScrollPosition(qv::ScrollAxis::Horizontal);
    EXPECT_GE(dropped.Left, shownFrom);
    EXPECT_LT(dropped.Left, shownFrom + c->viewport()->width() / c->Zoom());
}

TEST_P(ZoomedMouseTest, HintsAndEdgeMovesAndJumpsToACard) {
    TMDIChild* c = Zoomed();
    ASSERT_NE(c, nullptr);
    qv::Fragment* a = Card(c, "a", 0, 100, 100);
    a->Link = "/home/user/notes.txt";
    qv::Fragment* far = Card(c, "far", 0, 5000, 4000);
    qv::Fragment* m1 = Card(c, "m1", 0, 1500, 1200);
    qv::Fragment* m2 = Card(c, "m2", 0, 2400, 1800);
    Refresh(c);
    Move(c, QPoint(110, 106));
    EXPECT_EQ(c->HintText(), QStringLiteral("/home/user/notes.txt"));
    Move(c, QPoint(60, 60));
    EXPECT_TRUE(c->HintText().isEmpty());

    // The edge moves reach the page's ends, in document pixels.
    c->MoveToEdge(PageEdge::Bottom);
    c->MoveToEdge(PageEdge::Right);
    EXPECT_EQ(c->ScrollPosition(qv::ScrollAxis::Vertical),
              c->ScrollRange(qv::ScrollAxis::Vertical) - c->ClientHeight());
    EXPECT_EQ(c->ScrollPosition(qv::ScrollAxis::Horizontal),
              c->ScrollRange(qv::ScrollAxis::Horizontal) - c->ClientWidth());
    const QPoint farOnScreen = V(c, QPoint(far->Right, far->Bottom));
    EXPECT_TRUE(c->viewport()->rect().adjusted(0, 0, 1, 1).contains(farOnScreen));
    c->MoveToEdge(PageEdge::Top);
    c->MoveToEdge(PageEdge::Left);

    // Stepping to the next selected card brings its centre to the window's centre.
    m1->SetSelected(true);
    m2->SetSelected(true);
    c->Set().RebuildSelection();
    c->MoveToEdge(PageEdge::Bottom);
    ASSERT_TRUE(form_.Commands().Run(CommandId::EditNextSel));
    const qv::Fragment* to = m1->Marked ? m1 : m2;
    ASSERT_TRUE(to->Marked);
    const QPoint centre = V(c, QPoint(to->Left + to->Width() / 2, to->Top + to->Height() / 2));
    const QPoint middle = c->viewport()->rect().center();
    EXPECT_LE(std::abs(centre.x() - middle.x()), 2 * GetParam() + 1);
    EXPECT_LE(std::abs(centre.y() - middle.y()), 2 * GetParam() + 1);
}

TEST_P(ZoomedMouseTest, TheMapShowsTheZoomedViewAndItsClickCentresThePoint) {
    TMDIChild* c = Zoomed();
    ASSERT_NE(c, nullptr);
    qv::FragSet& set = c->Set();
    set.FixedSize = true;
    set.FixedWidth = 4000;
    set.FixedHeight = 3000;
    Card(c, "a", 0, 100, 100);
    Refresh(c);
    TMapViewer* map = form_.MapViewer();
    map->ShowViewer();
    map->resize(200, 150);
    QApplication::processEvents();
    const double s = *map->MapScale();
    // The view rectangle is as wide as the page the window shows.
    form_.Env().AreaFrame = true;
    const QImage shot = map->Snapshot();
    const QRgb frame = qv::ToQColor(form_.Env().Colors.AreaFrame).rgb();
    const int right = static_cast<int>(c->ClientWidth() * s) - 1;
    EXPECT_EQ(shot.pixel(right, 1) & RGB_MASK, frame & RGB_MASK);
    EXPECT_NEAR(c->ClientWidth(), c->viewport()->width() / GetParam(), 1);

    QTest::mousePress(map, Qt::LeftButton, {}, QPoint(100, 70));
    const QPointF shownCentre = D(c, QRectF(c->viewport()->rect()).center());
    EXPECT_NEAR(shownCentre.x(), 100 / s, 2 / GetParam() + 1 / s);
    EXPECT_NEAR(shownCentre.y(), 70 / s, 2 / GetParam() + 1 / s);
    QTest::mouseRelease(map, Qt::LeftButton, {}, QPoint(100, 70));
}

INSTANTIATE_TEST_SUITE_P(HalfAndDouble, ZoomedMouseTest, ::testing::Values(0.5, 2.0),
                         [](const ::testing::TestParamInfo<double>& info) {
                             return info.param < 1 ? std::string("At50") : std::string("At200");
                         });

// ---- Commands, keys, wheel and pinch ----

class ZoomCommandTest : public ZoomFixture, public ::testing::Test {
  protected:
    void SetUp() override { Start(); }
    void TearDown() override { Stop(); }
    void Key(int key, Qt::KeyboardModifiers m) { QTest::keyClick(Window(), Qt::Key(key), m); }
    double ZoomOf(TMDIChild* c) const { return std::round(c->Zoom() * 1000) / 1000; }
};

TEST_F(ZoomCommandTest, TheZoomKeysWorkOnJapaneseAndUsKeyboardsAndTheStatusBarFollows) {
    TMDIChild* c = NewDocument();
    ASSERT_NE(c, nullptr);
    c->setFocus();
    EXPECT_EQ(form_.StatusPanelText(3), QStringLiteral("100%"));
    Key(Qt::Key_Equal, Qt::ControlModifier);  // US: Ctrl and the =/+ key
    EXPECT_EQ(ZoomOf(c), 1.25);
    EXPECT_EQ(form_.StatusPanelText(3), QStringLiteral("125%"));
    Key(Qt::Key_Plus, Qt::ControlModifier | Qt::ShiftModifier);  // Ctrl+Shift+; or Ctrl+Shift+=
    EXPECT_EQ(ZoomOf(c), 1.5);
    Key(Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier);  // the keypad's +
    EXPECT_EQ(ZoomOf(c), 2.0);
    Key(Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_EQ(ZoomOf(c), 1.5);
    Key(Qt::Key_Minus, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_EQ(ZoomOf(c), 1.25);
    EXPECT_EQ(form_.StatusPanelText(3), QStringLiteral("125%"));
    EXPECT_EQ(form_.ZoomButton()->text(), QStringLiteral("125%"));
    Key(Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(ZoomOf(c), 1.0);
    // A key the settings give the command instead.
    form_.Commands().SetKey(CommandId::ViewZoomIn, qv::TextToShortCut("Ctrl+F9"));
    Key(Qt::Key_Equal, Qt::ControlModifier);
    EXPECT_EQ(ZoomOf(c), 1.0);
    Key(Qt::Key_F9, Qt::ControlModifier);
    EXPECT_EQ(ZoomOf(c), 1.25);
}

TEST_F(ZoomCommandTest, LevelsStopAtTheEndsAndEachWindowKeepsItsOwnZoom) {
    TMDIChild* first = NewDocument();
    ASSERT_NE(first, nullptr);
    for (int i = 0; i < 15; ++i)
        form_.Commands().Run(CommandId::ViewZoomIn);
    EXPECT_EQ(ZoomOf(first), 4.0);
    const std::vector<double> down = {3, 2, 1.5, 1.25, 1, 0.75, 0.67, 0.5, 0.33, 0.25, 0.1, 0.1};
    for (double level : down) {
        form_.Commands().Run(CommandId::ViewZoomOut);
        EXPECT_EQ(ZoomOf(first), level);
    }
    TMDIChild* second = NewDocument();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->Zoom(), 1.0);  // a new window starts at 100 %
    EXPECT_EQ(form_.StatusPanelText(3), QStringLiteral("100%"));
    form_.DocumentArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(first->parentWidget()));
    EXPECT_EQ(ZoomOf(first), 0.1);
    EXPECT_EQ(form_.StatusPanelText(3), QStringLiteral("10%"));
    EXPECT_FALSE(first->Set().Modified);
}

TEST_F(ZoomCommandTest, CtrlWheelAndPinchZoomAroundThePointer) {
    TMDIChild* c = NewDocument();
    ASSERT_NE(c, nullptr);
    Card(c, "far", 0, 3000, 2400);
    Refresh(c);
    c->SetScrollPosition(qv::ScrollAxis::Horizontal, 400);
    c->SetScrollPosition(qv::ScrollAxis::Vertical, 300);
    const QPoint pointer(300, 200);
    const QPointF under = D(c, pointer);
    Wheel(c, pointer, QPoint(0, 120));  // one notch: the next level
    EXPECT_EQ(ZoomOf(c), 1.25);
    EXPECT_NEAR(D(c, pointer).x(), under.x(), 1.0);
    EXPECT_NEAR(D(c, pointer).y(), under.y(), 1.0);
    Wheel(c, pointer, QPoint(0, -240));  // two notches back
    EXPECT_EQ(ZoomOf(c), 0.75);
    EXPECT_NEAR(D(c, pointer).x(), under.x(), 2.0);
    // A fine wheel steps between the levels, still around the pointer; Ctrl never scrolls.
    const int scrolledBefore = c->ScrollPosition(qv::ScrollAxis::Vertical);
    Wheel(c, pointer, QPoint(0, 30));
    EXPECT_GT(c->Zoom(), 0.75);
    EXPECT_LT(c->Zoom(), 1.0);
    EXPECT_NEAR(D(c, pointer).y(), under.y(), 2.0);
    EXPECT_NE(c->ScrollPosition(qv::ScrollAxis::Vertical), scrolledBefore - 48);
    // A pinch grows the zoom by its value, around its point.
    const double before = c->Zoom();
    QPointingDevice* device = nullptr;
    for (const QInputDevice* d : QInputDevice::devices())
        if (d->type() == QInputDevice::DeviceType::TouchPad || !device)
            device = const_cast<QPointingDevice*>(qobject_cast<const QPointingDevice*>(d));
    QNativeGestureEvent pinch(
        Qt::ZoomNativeGesture, device ? device : QPointingDevice::primaryPointingDevice(), 2,
        pointer, pointer, c->viewport()->mapToGlobal(pointer), 0.2, QPointF(), 1);
    QApplication::sendEvent(c->viewport(), &pinch);
    EXPECT_NEAR(c->Zoom(), before * 1.2, 1e-9);
    EXPECT_NEAR(D(c, pointer).x(), under.x(), 2.0);
    // Neither reaches past the ends.
    for (int i = 0; i < 30; ++i)
        Wheel(c, pointer, QPoint(0, 120));
    EXPECT_EQ(ZoomOf(c), 4.0);
    for (int i = 0; i < 30; ++i)
        Wheel(c, pointer, QPoint(0, -100));
    EXPECT_EQ(ZoomOf(c), 0.1);
    // Without Ctrl the wheel scrolls 48 screen pixels a notch, at any zoom.
    c->SetZoom(2.0, QPointF());
    c->SetScrollPosition(qv::ScrollAxis::Vertical, 0);
    Wheel(c, pointer, QPoint(0, -120), QPoint(), Qt::NoModifier);
    EXPECT_EQ(c->ScrollPosition(qv::ScrollAxis::Vertical), 24);
}

TEST_F(ZoomCommandTest, AZoomWaitsUntilARunningDragEnds) {
    TMDIChild* c = NewDocument();
    ASSERT_NE(c, nullptr);
    qv::Fragment* a = Card(c, "a", 0, 100, 100);
    Refresh(c);
    Press(c, QPoint(110, 106));
    Move(c, QPoint(130, 126));
    Wheel(c, QPoint(200, 200), QPoint(0, 120));
    EXPECT_EQ(c->Zoom(), 1.0);
    Move(c, QPoint(150, 146));
    Release(c, QPoint(150, 146));
    EXPECT_EQ(a->Left, 140);
    Wheel(c, QPoint(200, 200), QPoint(0, 120));
    EXPECT_EQ(ZoomOf(c), 1.25);
}

TEST_F(ZoomCommandTest, FitsShowEveryCardOrTheSelection) {
    TMDIChild* c = NewDocument();
    ASSERT_NE(c, nullptr);
    qv::Fragment* a = Card(c, "a", 0, 100, 100);
    qv::Fragment* b = Card(c, "b", 0, 4000, 3000);
    qv::Fragment* near = Card(c, "near", 0, 180, 120);
    Refresh(c);
    const QRect shown = c->viewport()->rect();
    const auto onScreen = [&](const qv::Fragment* f) {
        return shown.contains(V(c, QPoint(f->Left, f->Top))) &&
               shown.adjusted(0, 0, 1, 1).contains(V(c, QPoint(f->Right, f->Bottom)));
    };
    ASSERT_FALSE(onScreen(b));
    ASSERT_TRUE(form_.Commands().Run(CommandId::ViewZoomFit));
    EXPECT_LT(c->Zoom(), 0.5);
    EXPECT_TRUE(onScreen(a));
    EXPECT_TRUE(onScreen(b));
    EXPECT_TRUE(onScreen(near));
    // Nothing selected: the selection's fit is greyed.
    form_.UpdateCommands();
    EXPECT_FALSE(form_.Commands().Action(CommandId::ViewZoomSelection)->isEnabled());
    a->SetSelected(true);
    near->SetSelected(true);
    c->Set().RebuildSelection();
    form_.UpdateCommands();
    ASSERT_TRUE(form_.Commands().Run(CommandId::ViewZoomSelection));
    EXPECT_GT(c->Zoom(), 1.0);
    EXPECT_TRUE(onScreen(a));
    EXPECT_TRUE(onScreen(near));
    EXPECT_FALSE(onScreen(b));
    EXPECT_FALSE(c->Set().Modified);
    EXPECT_EQ(a->Left, 100);
}

TEST_F(ZoomCommandTest, TheDocumentImageIsTheSameAtAnyZoom) {
    TMDIChild* c = NewDocument();
    ASSERT_NE(c, nullptr);
    Card(c, "a", 1, 100, 100);
    Card(c, "b", 2, 400, 260);
    c->Set().SetGroupLine(1, 2);
    Refresh(c);
    qv::RenderCache cache;
    const std::optional<QImage> before = qv::RenderDocumentImage(c->Set(), cache);
    ASSERT_TRUE(before);
    for (double zoom : {0.25, 3.0}) {
        c->SetZoom(zoom, QPointF(100, 100));
        const std::optional<QImage> after = qv::RenderDocumentImage(c->Set(), cache);
        ASSERT_TRUE(after);
        EXPECT_EQ(*after, *before) << zoom;
    }
}

TEST_F(ZoomCommandTest, TheCommandsAreInTheViewMenuThePopUpAndTheToolBarsSubmenu) {
    const std::vector<QString> captions = {
        QStringLiteral("拡大(&I)"), QStringLiteral("縮小(&O)"), QStringLiteral("等倍(&Z)"),
        QStringLiteral("全体を表示(&W)"), QStringLiteral("選択範囲を表示(&E)")};
    const std::vector<CommandId> ids = {CommandId::ViewZoomIn, CommandId::ViewZoomOut,
                                        CommandId::ViewZoomReset, CommandId::ViewZoomFit,
                                        CommandId::ViewZoomSelection};
    QMenu* zoomMenu = form_.ZoomButton()->menu();
    ASSERT_NE(zoomMenu, nullptr);
    QMenu* popupZoom = nullptr;
    for (QAction* a : form_.FragmentPopup()->actions())
        if (a->menu() == zoomMenu) popupZoom = a->menu();
    EXPECT_EQ(popupZoom, zoomMenu);
    const QList<QAction*> view = form_.MainMenu(4)->actions();
    for (std::size_t i = 0; i < ids.size(); ++i) {
        QAction* action = form_.Commands().Action(ids[i]);
        EXPECT_EQ(action->text(), captions[i]);
        EXPECT_TRUE(view.contains(action)) << captions[i].toStdString();
        EXPECT_TRUE(zoomMenu->actions().contains(action)) << captions[i].toStdString();
        EXPECT_EQ(std::string(Command(ids[i]).Category), "表示");
    }
    EXPECT_EQ(form_.Commands().Action(CommandId::ViewZoomIn)->shortcut(),
              QKeySequence(Qt::CTRL | Qt::Key_Plus));
    EXPECT_EQ(form_.Commands().Action(CommandId::ViewZoomReset)->shortcut(),
              QKeySequence(Qt::CTRL | Qt::Key_0));
    EXPECT_TRUE(form_.Commands().Action(CommandId::ViewZoomFit)->shortcut().isEmpty());
    // The five follow the edge moves in the table.
    EXPECT_EQ(static_cast<int>(CommandId::ViewZoomIn), static_cast<int>(CommandId::ExMovRight) + 1);
}

}  // namespace
