// TMultiList: the columns follow a dragged header divider by shifting the painted pixels.
#include "test_multilist_support.h"

#include <QMouseEvent>
#include <QSignalSpy>

using namespace multilist_test;

namespace {

constexpr int W0 = 50, W1 = 80, W2 = 90;
constexpr int HeaderMiddle = 9;

// Records every step of the column shift before carrying it out.
class RecordingList : public TMultiList {
public:
    std::vector<int> steps;
    std::vector<QRect> clips;

protected:
    void ScrollColumns(int dx, const QRect& clip) override {
        steps.push_back(dx);
        clips.push_back(clip);
        TMultiList::ScrollColumns(dx, clip);
    }
};

std::unique_ptr<RecordingList> ShownList(std::vector<int> widths = {W0, W1, W2, 0}) {
    auto list = MakeList<RecordingList>({"N", "Size", "Date", "From"}, widths);
    list->SetDefaultItemSelected(false);
    list->addItem("1|a|WW|b|");
    list->addItem("2|a|WW|b|");
    ShowAndPaint(*list);
    return list;
}

// Resizes header section `section` by `delta` as a drag would, then reports it.
void Resize(TMultiList& list, int section, int delta) {
    TMultiListHeader* header = list.ListHeader();
    const int width = header->SectionWidth(section) + delta;
    header->SetSectionWidth(section, width);
    list.SectionResize(section, width);
}

// Drives the header's own mouse handling: a press on a divider, moves, a release.
void MouseOnHeader(TMultiListHeader* header, QEvent::Type type, int x, Qt::MouseButtons buttons) {
    const QPointF pos(x, HeaderMiddle);
    QMouseEvent event(type, pos, header->viewport()->mapToGlobal(pos),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(header->viewport(), &event);
}

TEST(MultiListShiftTest, StepsAreScrollSpeedThenSinglePixels) {
    struct Case {
        int delta;
        int speed;
        std::vector<int> steps;
    };
    const std::vector<Case> cases = {
        {7, 5, {5, 1, 1}}, {-7, 5, {-5, -1, -1}}, {5, 2, {2, 2, 1}},
        {3, 5, {1, 1, 1}}, {10, 5, {5, 5}},       {4, 1, {1, 1, 1, 1}},
    };
    for (const Case& c : cases) {
        auto list = ShownList();
        list->SetScrollSpeed(c.speed);
        Resize(*list, 1, c.delta);
        EXPECT_EQ(list->steps, c.steps) << c.delta << " at speed " << c.speed;
    }
}

TEST(MultiListShiftTest, ClipStartsAtTheRightEdgeOfTheNarrowerSection) {
    struct Case {
        int delta;
        bool lines;
        int left;
    };
    // Growing: the edge at the old width; shrinking: at the new one. Growing with column
    // lines leaves the old line's pixel out of the moved area.
    const std::vector<Case> cases = {{7, false, W0 + W1},
                                     {7, true, W0 + W1 + 1},
                                     {-7, false, W0 + W1 - 7},
                                     {-7, true, W0 + W1 - 7}};
    for (const Case& c : cases) {
        auto list = ShownList();
        list->SetShowColumnLines(c.lines);
        Resize(*list, 1, c.delta);
        ASSERT_FALSE(list->clips.empty());
        const QRect clip = list->clips.front();
        EXPECT_EQ(clip.left(), c.left) << c.delta << (c.lines ? " with lines" : "");
        EXPECT_EQ(clip.right(), list->viewport()->width() - 1);
        EXPECT_EQ(clip.top(), 0);
        EXPECT_EQ(clip.bottom(), list->viewport()->height() - 1);
    }
}

TEST(MultiListShiftTest, TheSameWidthReportedTwiceIsHandledOnce) {
    auto list = ShownList();
    Resize(*list, 1, 7);
    EXPECT_EQ(list->steps.size(), 3u);
    list->SectionResize(1, W1 + 7);
    EXPECT_EQ(list->steps.size(), 3u);
    // Only the width is compared, not the section.
    list->ListHeader()->SetSectionWidth(0, W1 + 7);
    list->SectionResize(0, W1 + 7);
    EXPECT_EQ(list->steps.size(), 3u);
    Resize(*list, 1, 2);
    EXPECT_EQ(list->steps.size(), 5u);
}

TEST(MultiListShiftTest, EveryResizeEventInvalidatesWithUpdateAlways) {
    auto list = ShownList();
    int paints = 0;
    struct PaintCounter : QObject {
        int& count;
        explicit PaintCounter(int& c) : count(c) {}
        bool eventFilter(QObject*, QEvent* event) override {
            count += event->type() == QEvent::Paint;
            return false;
        }
    } counter(paints);
    list->viewport()->installEventFilter(&counter);
    Resize(*list, 1, 7);
    QApplication::processEvents();
    const int afterFirst = paints;
    list->SectionResize(1, W1 + 7);
    EXPECT_TRUE(QTest::qWaitFor([&] { return paints > afterFirst; }, 2000));

    list->SetUpdateAlways(false);
    QApplication::processEvents();
    const int before = paints;
    list->SectionResize(1, W1 + 7);
    QApplication::processEvents();
    EXPECT_EQ(paints, before);
    list->viewport()->removeEventFilter(&counter);
}

TEST(MultiListShiftTest, UserWidthsAreCapturedForTheNextWidthChange) {
    auto list = ShownList();
    Resize(*list, 1, 7);
    EXPECT_EQ(list->SectionWidth(0), W0);
    EXPECT_EQ(list->SectionWidth(1), W1 + 7);
    EXPECT_EQ(list->SectionWidth(3), list->ListHeader()->SectionWidth(3));
    EXPECT_EQ(list->SectionWidth(4), 0);
    list->resize(list->width() + 30, list->height());
    list->viewport()->repaint();
    EXPECT_EQ(list->ListHeader()->SectionWidth(1), W1 + 7);
}

TEST(MultiListShiftTest, WithoutAWidthForColumnZeroTheListRepaintsInstead) {
    auto list = ShownList({0, W1, W2, 0});
    Resize(*list, 1, 7);
    EXPECT_TRUE(list->steps.empty());
    EXPECT_EQ(list->SectionWidth(1), W1 + 7);
}

TEST(MultiListShiftTest, DraggingADividerShiftsOnReleaseWithoutSmoothScroll) {
    auto list = ShownList();
    TMultiListHeader* header = list->ListHeader();
    QSignalSpy sizing(header, &TMultiListHeader::Sizing);
    QSignalSpy sized(header, &TMultiListHeader::Sized);
    MouseOnHeader(header, QEvent::MouseButtonPress, W0, Qt::LeftButton);
    MouseOnHeader(header, QEvent::MouseMove, W0 + 3, Qt::LeftButton);
    MouseOnHeader(header, QEvent::MouseMove, W0 + 7, Qt::LeftButton);
    EXPECT_GE(sizing.count(), 2);
    EXPECT_EQ(sized.count(), 0);
    EXPECT_TRUE(list->steps.empty());
    MouseOnHeader(header, QEvent::MouseButtonRelease, W0 + 7, Qt::NoButton);
    ASSERT_EQ(sized.count(), 1);
    EXPECT_EQ(sized.front(), (QList<QVariant>{0, W0 + 7}));
    EXPECT_EQ(list->steps, (std::vector<int>{5, 1, 1}));
    EXPECT_EQ(list->SectionWidth(0), W0 + 7);
}

TEST(MultiListShiftTest, SmoothScrollFollowsTheDividerWhileDragging) {
    auto list = ShownList();
    list->SetSmoothScroll(true);
    list->viewport()->repaint();
    TMultiListHeader* header = list->ListHeader();
    MouseOnHeader(header, QEvent::MouseButtonPress, W0, Qt::LeftButton);
    MouseOnHeader(header, QEvent::MouseMove, W0 + 3, Qt::LeftButton);
    EXPECT_EQ(list->steps, (std::vector<int>{1, 1, 1}));
    MouseOnHeader(header, QEvent::MouseMove, W0 + 9, Qt::LeftButton);
    EXPECT_EQ(list->steps, (std::vector<int>{1, 1, 1, 5, 1}));
    MouseOnHeader(header, QEvent::MouseButtonRelease, W0 + 9, Qt::NoButton);
    EXPECT_EQ(list->steps.size(), 5u) << "the release adds no shift of its own";
}

TEST(MultiListShiftTest, TheColumnsAreRedrawnAtTheirNewPlace) {
    auto list = ShownList();
    const QImage before = Rows(*list);
    const int textBefore = FirstInkX(before, W0 + W1, W0 + W1 + W2, 0, 18);
    ASSERT_GE(textBefore, 0);
    TMultiListHeader* header = list->ListHeader();
    MouseOnHeader(header, QEvent::MouseButtonPress, W0, Qt::LeftButton);
    MouseOnHeader(header, QEvent::MouseMove, W0 + 7, Qt::LeftButton);
    MouseOnHeader(header, QEvent::MouseButtonRelease, W0 + 7, Qt::NoButton);
    QApplication::processEvents();
    const QImage after = Rows(*list);
    EXPECT_EQ(FirstInkX(after, W0 + W1 + 7, W0 + W1 + W2 + 7, 0, 18), textBefore + 7);
    EXPECT_EQ(InkCount(after, W0 + W1, W0 + W1 + 7, 0, 36), 0);
}

} // namespace
