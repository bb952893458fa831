#include "app/dialogs/design_sample.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include "app/texts.h"
#include "core/model/arrow_line.h"
#include "render/painting/colors.h"
#include "render/text/fonts.h"
#include "render/painting/frame_painter.h"

namespace {

const QString kFragmentText = texts::Q(texts::kSampleCard);
const QString kSelectedText = texts::Q(texts::kSampleSelected);
const QString kPlateText = texts::Q(texts::kSamplePlate);
const QString kSymbolText = texts::Q(texts::kSampleSymbol);
const QStringList kListRows = texts::Qs(texts::kSampleGroupRows);
constexpr int kListCheckedRows = 1;

QRect ToQRect(const qv::Rect& r) {
    return QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
}

qv::Rect FromQRect(const QRect& r) {
    return qv::Rect::FromSize(r.x(), r.y(), r.width(), r.height());
}

// The box a card's text is tested against: the text's width × the height of a blank.
qv::Rect TextBox(const qv::Rect& card, const QFont& font, const QString& text) {
    const QFontMetrics fm(font);
    return qv::Rect::FromSize(card.Left, card.Top, fm.horizontalAdvance(text), fm.height());
}

}  // namespace

DesignSample::DesignSample(qv::OptionsEditor& editor, QWidget* parent)
    : QWidget(parent), editor_(editor) {
    setMinimumSize(sizeHint());
    setCursor(Qt::PointingHandCursor);
}

qv::DesignSampleLayout DesignSample::Layout() const {
    const qv::EnvData& w = editor_.Work();
    qv::DesignSampleLayout l;
    l.Panel = FromQRect(rect());
    const int h = w.FragmentFont.PixelHeight();
    const int hn = w.NamePlateFont.PixelHeight();
    const QFont fragFont = qv::MakeFont(w.FragmentFont);
    const QFont plateFont = qv::MakeFont(w.NamePlateFont);
    // Cards as the document window sizes them: columns × h + 4, lines × (h + 2) + 4.
    const int cardW = std::min(5 * h + 4, 130);
    const int cardH = std::min(2 * (h + 2) + 4, 80);
    l.Fragment = qv::Rect::FromSize(24, 24, cardW, cardH);
    l.Selected = qv::Rect::FromSize(l.Fragment.Right + 14, 24, cardW, cardH);
    l.Plate = qv::Rect::FromSize(24, l.Fragment.Bottom + 14, std::min(4 * hn + 4, 130),
                                 std::min(hn + 2 + 4, 60));
    l.FragmentText = TextBox(l.Fragment, fragFont, kFragmentText);
    l.SelectedText = TextBox(l.Selected, fragFont, kSelectedText);
    l.PlateText = TextBox(l.Plate, plateFont, kPlateText);
    l.Frame = qv::Rect{12, 12, l.Selected.Right + 12, l.Plate.Bottom + 12};
    const QFontMetrics sm(qv::MakeFont(w.SymbolFont));
    l.Symbol = qv::Rect::FromSize(l.Frame.Right + 10, 16, sm.horizontalAdvance(kSymbolText) + 4,
                                  sm.height() + 4);

    const QFontMetrics sb(qv::MakeFont(w.StatusBarFont));
    const int statusH = sb.height() + 4;
    l.Status = qv::Rect{0, height() - statusH, width(), height()};
    const int lowTop = l.Frame.Bottom + 12;
    const int lowBottom = l.Status.Top - 8;
    l.LineStart = qv::Point{16, lowBottom - 4};
    l.LineEnd = qv::Point{110, lowTop + 4};
    l.ListRowHeight = w.GroupListFont.PixelHeight() + std::max(w.GlstInterLine, 0);
    l.ListRows = 3;
    l.ListCheckedRows = kListCheckedRows;
    l.List = qv::Rect{126, lowTop, width() - 10, std::max(lowBottom, lowTop + 1)};
    return l;
}

void DesignSample::paintEvent(QPaintEvent*) {
    const qv::EnvData& w = editor_.Work();
    const qv::DesignSampleLayout l = Layout();
    QPainter p(this);
    p.fillRect(rect(), qv::ToQColor(w.Colors.Background));

    struct Card {
        const qv::Rect& R;
        qv::Color Back, Pen, Text;
        const qv::FontSpec& Font;
        QString Caption;
    };
    const Card cards[] = {
        {l.Fragment, w.Colors.DefFrgBG, w.Colors.FrgBorder, w.Colors.DefFrgFG, w.FragmentFont,
         kFragmentText},
        {l.Selected, w.Colors.SelFrgBG, w.Colors.SelectRect, w.Colors.SelFrgFG, w.FragmentFont,
         kSelectedText},
        {l.Plate, w.Colors.NamFrgBG, w.Colors.FrgBorder, w.Colors.NamFrgFG, w.NamePlateFont,
         kPlateText},
    };
    for (const Card& c : cards) {
        const QRect r = ToQRect(c.R);
        p.fillRect(r, qv::ToQColor(c.Back));
        p.setPen(QPen(qv::ToQColor(c.Pen), 0));
        p.setBrush(Qt::NoBrush);
        // The outline runs one pixel inside on the right and bottom, as on the cards.
        p.drawRect(r.adjusted(0, 0, -1, -1));
        p.setFont(qv::MakeFont(c.Font));
        p.setPen(qv::ToQColor(c.Text));
        p.drawText(r.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop, c.Caption);
    }

    const int maxRound = std::max(1, w.GFrameMaxRnd);
    const QRect frame = ToQRect(l.Frame);
    qv::DrawRoundedFrame(p, frame, std::min({frame.width() / 5, frame.height() / 5, maxRound}),
                         qv::ToQColor(w.Colors.GroupFrame), std::max(1, w.GFrameLineWidth));

    p.setFont(qv::MakeFont(w.SymbolFont));
    p.setPen(qv::ToQColor(w.Colors.SymbolFG));
    p.drawText(ToQRect(l.Symbol).adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop, kSymbolText);

    // The sample line reads the arrow settings of the working copy.
    qv::ArrowLine line;
    line.Type = qv::kLineArrow;
    line.Width = 1;
    line.WinStart = l.LineStart;
    line.WinEnd = l.LineEnd;
    line.Drawn = true;
    qv::DrawArrowLine(p, line, qv::ToQColor(w.Colors.GroupLine), w);

    const QRect list = ToQRect(l.List);
    p.fillRect(list, qv::ToQColor(w.Colors.GroupListBG));
    p.setPen(QPen(palette().color(QPalette::Mid), 0));
    p.drawRect(list.adjusted(0, 0, -1, -1));
    p.setClipRect(list);
    const QFont listFont = qv::MakeFont(w.GroupListFont);
    p.setFont(listFont);
    for (int row = 0; row < l.ListRows; ++row) {
        const int top = list.top() + row * l.ListRowHeight;
        const int box = std::max(6, std::min(l.ListRowHeight - 4, 12));
        const QRect check(list.left() + 3, top + (l.ListRowHeight - box) / 2, box, box);
        p.setPen(QPen(palette().color(QPalette::WindowText), 0));
        p.setBrush(palette().color(QPalette::Base));
        p.drawRect(check);
        const bool checked = row < l.ListCheckedRows;
        if (checked) {
            p.drawLine(check.left() + 2, check.center().y(), check.center().x(),
                       check.bottom() - 2);
            p.drawLine(check.center().x(), check.bottom() - 2, check.right() - 2, check.top() + 2);
        }
        p.setPen(qv::ToQColor(checked ? w.Colors.GroupListFG : w.Colors.GroupListOff));
        p.drawText(QRect(check.right() + 4, top, list.width(), l.ListRowHeight),
                   Qt::AlignLeft | Qt::AlignVCenter, kListRows[row]);
    }
    p.setClipping(false);

    const QRect status = ToQRect(l.Status);
    p.fillRect(status, palette().color(QPalette::Window));
    p.setFont(qv::MakeFont(w.StatusBarFont));
    p.setPen(palette().color(QPalette::WindowText));
    const QFontMetrics sfm(p.font());
    const int firstW = sfm.horizontalAdvance(texts::Q(texts::kStatusPanel0Sample));
    p.drawText(QRect(status.left() + 2, status.top(), firstW, status.height()),
               Qt::AlignRight | Qt::AlignVCenter, texts::Q(texts::kSampleStatusPage));
    p.drawText(QRect(status.left() + firstW + 10, status.top(), status.width(), status.height()),
               Qt::AlignLeft | Qt::AlignVCenter, texts::Q(texts::kSampleStatusCards));
    p.setPen(QPen(palette().color(QPalette::Mid), 0));
    p.drawLine(status.topLeft(), status.topRight());
}

void DesignSample::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint at = event->position().toPoint();
    if (const auto choice = qv::HitDesignSample(Layout(), qv::Point{at.x(), at.y()}))
        emit Chosen(*choice);
}
