// The main window's progress during a switch: the file line and the bar reach
// the window at a steady rate however fast the files go, a phase line and the
// end at once, and every item's last file is on the window before its line
// is cleared.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "Desk.h"
#include "platform/Text.h"

namespace tollervy {
namespace {

constexpr const char* LiveDir = "C:\\Work\\Notes\\";
constexpr int FilesPerFolder = 60;

std::string Name(int i) { return "f" + std::to_string(100 + i) + ".txt"; }

// Aoi's copies in place, Ben's stored: a folder entry of 60 files and a
// pattern entry of 60 files.
void Prepare(Desk& d) {
    d.p.fs.AddFolder(Desk::Data);
    d.Ini("Start", "Started", "1");
    d.Ini("Last", "User", "Aoi");
    d.Ini("File", "F1", LiveDir);
    d.Ini("File", "F2", "C:\\Game\\*.sav");
    const std::string data = Desk::Data;
    for (int i = 0; i < FilesPerFolder; ++i) {
        d.p.fs.AddFile(LiveDir + Name(i), "Aoi " + std::to_string(i));
        d.p.fs.AddFile(data + "\\Ben\\F1\\" + Name(i), "Ben " + std::to_string(i));
        d.p.fs.AddFile("C:\\Game\\" + std::to_string(i) + ".sav", "Aoi save");
        d.p.fs.AddFile(data + "\\Ben\\F2\\" + std::to_string(i) + ".sav", "Ben save");
    }
    d.p.system.loginName = "Ben";
}

struct Paint {
    std::uint32_t tick;
    std::string phase, detail;
    int bar;
};

TEST(ProgressDisplay, TheWindowFollowsAtASteadyRateWhateverTheSpeedOfTheFiles) {
    struct Case {
        std::uint32_t msPerFile;  // time that passes at each file
        bool everyFileShown;      // files slower than the paint interval are each painted
    };
    for (const Case k : {Case{0, false}, Case{1, false}, Case{7, false}, Case{30, false}, Case{200, true}}) {
        SCOPED_TRACE("ms per file " + std::to_string(k.msPerFile));
        Desk d;
        Prepare(d);
        d.p.system.tickStep = k.msPerFile;
        TollervyMain& main = d.forms.TollervyMain();
        std::vector<Paint> paints;
        // A paint repaints the window and then lets its messages run: one
        // paint, seen twice by the host.
        d.p.host.onRepaint = [&](ui::Form&) {
            const Paint p{d.p.system.tickCount, main.StatusMess.Caption(), main.StatusDetail.Caption(),
                          main.StatusBar.Value()};
            if (!paints.empty() && paints.back().tick == p.tick && paints.back().phase == p.phase &&
                paints.back().detail == p.detail && paints.back().bar == p.bar)
                return;
            paints.push_back(p);
        };
        EXPECT_EQ(d.Start(), 0);
        ASSERT_EQ(d.p.fs.Content(LiveDir + Name(0)), "Ben 0");

        // The end is on the window: the last phase and the full bar.
        ASSERT_FALSE(paints.empty());
        EXPECT_EQ(paints.back().phase, "Benの情報を回復中");
        EXPECT_EQ(paints.back().bar, 100);

        // Never more than one throttled paint per interval, besides the two
        // phases, the first showing, the end and each item's last file.
        const std::uint32_t elapsed = paints.back().tick - paints.front().tick;
        const std::size_t bound = elapsed / TollervyMain::PaintInterval + 1 + 2 + 1 + 1 + 4;
        EXPECT_LE(paints.size(), bound) << elapsed << " ms";
        // And no long gap while the switch goes on: a paint at least once
        // per interval plus the file (two ticks of it) or wait step that
        // overran it.
        for (std::size_t i = 1; i < paints.size(); ++i)
            EXPECT_LE(paints[i].tick - paints[i - 1].tick, TollervyMain::PaintInterval + 2 * k.msPerFile + 50) << i;

        // The last file of each item (in listing order) was painted; slow
        // files each were.
        std::set<std::string> shown;
        for (const auto& p : paints) shown.insert(p.detail);
        EXPECT_EQ(shown.count(LiveDir + Name(FilesPerFolder - 1)), 1u);
        EXPECT_EQ(shown.count("C:\\Game\\9.sav"), 1u);
        if (k.everyFileShown) {
            for (int i = 0; i < FilesPerFolder; ++i) EXPECT_EQ(shown.count(LiveDir + Name(i)), 1u) << i;
        }
    }
}

// The engine hands the window whole paths; the window shortens the line it
// paints, and the last file of an item reaches it in that form.
TEST(ProgressDisplay, TheFileLineIsShortenedWhereTheWindowPaintsIt) {
    struct Case {
        const char* folder;
        const char* lastLine;  // as painted
    };
    const Case cases[] = {
        {"C:\\Work\\Notes\\", "C:\\Work\\Notes\\f159.txt"},
        {"C:\\Users\\Aoi\\Documents\\Long Project Notes\\", "C:\\Users\\Aoi\\Documents\\Long...\\f159.txt"},
        {"C:\\Users\\Aoi\\Documents\\日本語のとても長いフォルダの名前\\", "C:\\Users\\Aoi\\Documents\\日本語の...\\f159.txt"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.folder);
        Desk d;
        d.p.fs.AddFolder(Desk::Data);
        d.Ini("Start", "Started", "1");
        d.Ini("Last", "User", "Aoi");
        d.Ini("File", "F1", k.folder);
        for (int i = 0; i < FilesPerFolder; ++i) {
            d.p.fs.AddFile(k.folder + Name(i), "Aoi");
            d.p.fs.AddFile(std::string(Desk::Data) + "\\Ben\\F1\\" + Name(i), "Ben");
        }
        d.p.system.loginName = "Ben";
        d.p.system.tickStep = 7;
        TollervyMain& main = d.forms.TollervyMain();
        std::vector<std::string> painted;
        // One paint is seen twice by the host; a line counts once per time
        // it reached the window.
        std::string last;
        d.p.host.onRepaint = [&](ui::Form&) {
            const std::string line = main.StatusDetail.Caption();
            if (!line.empty() && line != last) painted.push_back(line);
            last = line;
        };
        EXPECT_EQ(d.Start(), 0);
        ASSERT_FALSE(painted.empty());
        EXPECT_EQ(std::count(painted.begin(), painted.end(), k.lastLine), 2);  // saved, then restored
        for (const auto& line : painted) EXPECT_LE(text::Length(line), 40u) << line;
    }
}

// A throttled paint paints only what changed; the whole window is repainted
// at once at each phase line, at every throttled paint for a second after
// it, and once a second otherwise.
TEST(ProgressDisplay, TheWholeWindowIsRepaintedWhileNewAndOnceASecond) {
    for (const std::uint32_t msPerFile : {3u, 30u}) {
        SCOPED_TRACE("ms per file " + std::to_string(msPerFile));
        Desk d;
        Prepare(d);
        d.p.system.tickStep = msPerFile;
        TollervyMain& main = d.forms.TollervyMain();
        struct Throttled {
            std::uint32_t tick;
            bool whole;
        };
        std::vector<Throttled> throttled;
        std::vector<std::uint32_t> whole, phases;
        fakes::FakeFormHost::Counts seen;
        std::string phase;
        // A whole repaint is seen by the host as Repaint; a throttled paint
        // ends with DoPaintEvents, right after the Repaint when it was whole.
        bool wholeJustBefore = false;
        d.p.host.onRepaint = [&](ui::Form&) {
            const auto counts = d.p.host.CountsOf("TollervyMain");
            const std::uint32_t tick = d.p.system.tickCount;
            if (counts.repainted != seen.repainted) {
                whole.push_back(tick);
                wholeJustBefore = true;
            } else if (counts.paintEvents != seen.paintEvents) {
                throttled.push_back({tick, wholeJustBefore});
                wholeJustBefore = false;
            }
            seen = counts;
            if (main.StatusMess.Caption() != phase) phases.push_back(tick);
            phase = main.StatusMess.Caption();
        };
        EXPECT_EQ(d.Start(), 0);
        ASSERT_EQ(phases.size(), 2u);
        ASSERT_GT(whole.back() - whole.front(), 3 * TollervyMain::WholePaintInterval);

        std::size_t partial = 0;
        for (const auto& t : throttled) {
            partial += !t.whole;
            // In the second after a phase line every paint is whole.
            for (const std::uint32_t p : phases)
                if (t.tick > p && t.tick - p + 2 * msPerFile < TollervyMain::WholePaintInterval)
                    EXPECT_TRUE(t.whole) << t.tick << " after the phase line at " << p;
        }
        // Past that, paints leave the window as it is but for its changes
        // (a third of them or more in a run of a few seconds).
        EXPECT_GE(3 * partial, throttled.size());
        // Each phase line is painted whole at once, and never a second
        // passes without the whole window.
        for (const std::uint32_t p : phases) EXPECT_EQ(std::count(whole.begin(), whole.end(), p), 1) << p;
        for (std::size_t i = 1; i < whole.size(); ++i)
            EXPECT_LE(whole[i] - whole[i - 1],
                      TollervyMain::WholePaintInterval + TollervyMain::PaintInterval + 2 * msPerFile + 50)
                << i;
    }
}

}  // namespace
}  // namespace tollervy
