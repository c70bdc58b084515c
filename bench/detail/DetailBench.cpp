// How fast a list's pane is with one list of 5,000 tagged items: opening it up to its first
// paint, a tick from the click to the repainted row, each frame of scrolling, and a drag of one
// item from the press to the repainted result, a key typed into the add bar (the tag proposal for
// the draft is worked out off the keystroke), and pasting 10,000 lines. Targets: opening under
// 250 ms, a tick under 16 ms, a scroll frame under 16 ms, a drag under 150 ms, a key under 16 ms,
// the paste under 1 s. Offscreen; run on an idle machine.
#include "lexicon/ItemTagger.h"
#include "model/Markdown.h"
#include "platform/Clock.h"
#include "platform/Defaults.h"
#include "store/ListStore.h"
#include "ui/components/AddItemField.h"
#include "ui/detail/AddItemBar.h"
#include "ui/detail/DetailItemsView.h"
#include "ui/detail/DetailRowModel.h"
#include "ui/detail/ItemRowGeometry.h"
#include "ui/detail/ListDetailModel.h"
#include "ui/detail/ListDetailView.h"
#include "ui/detail/TagSuggester.h"
#include "ui/sound/SoundEffectPlayer.h"
#include "ui/theme/Theme.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int itemCount = 5000;

// One list of 5,000 items, each with a tag of twelve and now and then a longer text that wraps;
// made once for the whole run.
struct Fixture {
    QTemporaryDir dir;
    MemoryDefaults defaults;
    FixedClock clock{Date(763297200)};
    std::unique_ptr<ListStore> store;
    QString listID;

    Fixture() {
        store =
            std::make_unique<ListStore>(dir.filePath("store.json"), false, false, defaults, clock);
        listID = store->addList(QStringLiteral("Everything for the move")).id;
        store->batch([&] {
            for (int i = 0; i < itemCount; ++i) {
                QString text = QStringLiteral("Item number %1 #aisle%2").arg(i).arg(i % 12);
                if (i % 25 == 0)
                    text.prepend(QStringLiteral("A longer note of what to take and where it "
                                                "goes, so that it wraps onto a second line: "));
                store->addItem(listID, text);
            }
        });
    }

    // Made on first use; dropped before the application object goes.
    static std::unique_ptr<Fixture>& instance() {
        static std::unique_ptr<Fixture> fixture;
        return fixture;
    }
    static Fixture& shared() {
        if (!instance())
            instance() = std::make_unique<Fixture>();
        return *instance();
    }
};

// The pane as the window builds it.
struct Pane {
    ListDetailModel screen;
    ListDetailView view;

    explicit Pane(Fixture& f) : screen(*f.store, f.clock), view(screen) {
        view.setAttribute(Qt::WA_DontShowOnScreen);
        view.resize(700, 900);
    }
    void openAndPaint(const QString& listID) {
        screen.show(listID);
        view.show();
        QCoreApplication::processEvents();
        view.repaint();
    }
    DetailItemsView& items() { return view.items(); }
    // A point on the part of the first item row in sight.
    QPoint firstItem(DetailItemsView::Part part) {
        for (int row = 0; row < items().rows().rowCount(); ++row) {
            if (items().rows().row(row).kind != DetailRow::Kind::item)
                continue;
            const ItemRowGeometry g =
                ItemRowGeometry::of(items().visualRect(items().rows().index(row)), true);
            return part == DetailItemsView::Part::tick ? g.tick.center() : g.text.center();
        }
        return {};
    }
};

void openToFirstPaint(benchmark::State& state) {
    Fixture& f = Fixture::shared();
    for (auto _ : state) {
        Pane pane(f);
        pane.openAndPaint(f.listID);
        state.PauseTiming();
        pane.view.hide();
        state.ResumeTiming();
    }
}

void tickToRepaint(benchmark::State& state) {
    Fixture& f = Fixture::shared();
    Pane pane(f);
    pane.openAndPaint(f.listID);
    for (auto _ : state) {
        // The click, the store's change, the one refresh of the turn and the repainted row.
        QTest::mouseClick(pane.items().viewport(), Qt::LeftButton, {},
                          pane.firstItem(DetailItemsView::Part::tick));
        QCoreApplication::processEvents();
        pane.items().viewport()->repaint();
    }
}

void refreshAfterATick(benchmark::State& state) {
    Fixture& f = Fixture::shared();
    Pane pane(f);
    pane.openAndPaint(f.listID);
    const QString itemID = f.store->items(f.listID).at(1).id;
    int n = 0;
    qint64 refreshNs = 0;
    for (auto _ : state) {
        // The pane's own share of a tick: the store's change and its file write are left out.
        state.PauseTiming();
        f.store->setDone(itemID, n++ % 2 == 0);
        state.ResumeTiming();
        QElapsedTimer timer;
        timer.start();
        pane.screen.refreshNow();
        refreshNs += timer.nsecsElapsed();
        pane.items().viewport()->repaint();
    }
    state.counters["refresh_ms"] = double(refreshNs) / 1e6 / 50;
}

void scrollFrames(benchmark::State& state) {
    Fixture& f = Fixture::shared();
    Pane pane(f);
    pane.openAndPaint(f.listID);
    QScrollBar* bar = pane.items().verticalScrollBar();
    const int step = pane.items().viewport()->height() / 3;
    for (auto _ : state) {
        bar->setValue(bar->value() >= bar->maximum() ? 0 : bar->value() + step);
        pane.items().viewport()->repaint();
    }
    state.counters["pages"] = double(bar->maximum()) / pane.items().viewport()->height();
}

void dragOneItem(benchmark::State& state) {
    Fixture& f = Fixture::shared();
    Pane pane(f);
    pane.openAndPaint(f.listID);
    QWidget* viewport = pane.items().viewport();
    for (auto _ : state) {
        // Press on the first item's text, move down past three rows, release: one store
        // operation renumbering 5,000 items, one refresh, one repaint.
        const QPoint from = pane.firstItem(DetailItemsView::Part::text);
        const QPoint to = from + QPoint(0, 200);
        QTest::mousePress(viewport, Qt::LeftButton, {}, from);
        for (int step = 1; step <= 4; ++step) {
            QMouseEvent move(QEvent::MouseMove, from + (to - from) * step / 4,
                             viewport->mapToGlobal(from + (to - from) * step / 4), Qt::NoButton,
                             Qt::LeftButton, {});
            QCoreApplication::sendEvent(viewport, &move);
        }
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
        QCoreApplication::processEvents();
        viewport->repaint();
    }
}

void typeOneKey(benchmark::State& state) {
    Fixture& f = Fixture::shared();
    Pane pane(f);
    pane.openAndPaint(f.listID);
    AddItemField& field = *pane.view.addBar().field();
    pane.screen.setInputFocused(true);
    // Words no item shares: the tagger compares the draft with every one of the 5,000 items.
    const QString typing = QStringLiteral("zebra crossing lollipop ");
    qsizetype at = 0;
    qint64 answerNs = 0;
    int answers = 0;
    for (auto _ : state) {
        // The key, the model's new face, the chips and the repainted bar; not the proposal.
        QTest::keyClick(&field, typing.at(at++ % typing.size()).toLatin1());
        pane.view.addBar().repaint();
        state.PauseTiming();
        if (field.text().size() > 40)
            pane.screen.setDraft(QString());
        QElapsedTimer timer;
        timer.start();
        pane.screen.suggester().settle(); // the worker's share, timed on its own
        answerNs += timer.nsecsElapsed();
        ++answers;
        state.ResumeTiming();
    }
    // For comparison: the same proposal worked out on the keystroke's thread.
    TagSuggester::Inputs inputs;
    for (const TBItem& item : f.store->items(f.listID))
        inputs.existing.append({item.text, Markdown::tags(item.text).value(0)});
    QElapsedTimer direct;
    direct.start();
    ItemTagger::suggestion(QStringLiteral("zebra crossing"), inputs.listTags, inputs.existing);
    state.counters["proposal_worker_ms"] = double(answerNs) / 1e6 / qMax(answers, 1);
    state.counters["proposal_inline_ms"] = double(direct.nsecsElapsed()) / 1e6;
}

void pasteTenThousandLines(benchmark::State& state) {
    Fixture& f = Fixture::shared();
    QStringList lines;
    for (int i = 0; i < 10000; ++i)
        lines.append(QStringLiteral("Pasted line %1 #box%2").arg(i).arg(i % 20));
    const QString text = lines.join(QLatin1Char('\n'));
    int refreshes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString listID = f.store->addList(QStringLiteral("Pasted")).id;
        Pane pane(f);
        pane.openAndPaint(listID);
        pane.screen.setClipboardReader([text] { return std::optional<QString>(text); });
        int before = 0;
        QObject::connect(&pane.screen, &ListDetailModel::refreshed, [&] { ++before; });
        state.ResumeTiming();
        // The paste, its one store batch, the one refresh and the repainted pane.
        pane.screen.pasteFromClipboard();
        QCoreApplication::processEvents();
        pane.view.repaint();
        state.PauseTiming();
        refreshes = before;
        if (f.store->items(listID).size() != 10000)
            state.SkipWithError("the paste did not add 10,000 items");
        f.store->deleteList(listID);
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["refreshes"] = refreshes;
}

} // namespace

BENCHMARK(openToFirstPaint)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(tickToRepaint)->Unit(benchmark::kMillisecond)->Iterations(50);
BENCHMARK(refreshAfterATick)->Unit(benchmark::kMillisecond)->Iterations(50);
BENCHMARK(scrollFrames)->Unit(benchmark::kMillisecond);
BENCHMARK(dragOneItem)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(typeOneKey)->Unit(benchmark::kMillisecond)->Iterations(60);
BENCHMARK(pasteTenThousandLines)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Theme::applyToApplication();
    // Ticks play the program's sound; Qt's sound objects go before the application object.
    const SoundEffectPlayer::Installation sounds;
    Fixture::shared();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Fixture::instance().reset();
    return 0;
}
