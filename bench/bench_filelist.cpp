// The drawing list of the record window over a folder of 20 000 drawings while
// the user types a drawing path: the longest stall of the window's thread per
// keystroke (a 1 ms heartbeat timer sees every stall, whatever causes it) and
// the time until the list shows the folder. Then what the background listing
// costs, and how fast different list widgets take 20 000 names.
//   bench_filelist [drawings]       default 20000; run with QT_QPA_PLATFORM=offscreen
#include "BenchSupport.h"

#include "desktop/AppPaths.h"
#include "desktop/MsgBox.h"
#include "files/FolderLister.h"
#include "forms/record/Form1.h"
#include "program/ProgramFacts.h"
#include "startup/StartUp.h"
#include "widgets/FileListBox.h"
#include "widgets/Forms.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QSettings>
#include <QStringListModel>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>

using namespace BenchSupport;

namespace {

constexpr int HeartbeatMs = 1;
constexpr int BudgetMs = 16;

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// Ticks every millisecond; the longest gap between two ticks is the longest
// time the thread could not answer. A gap while other threads held both cores
// is no work of this thread: the gap's own CPU time tells the two apart.
class StallDetector
{
public:
    struct Gap
    {
        double wallMs = 0, cpuMs = 0;
    };

    StallDetector()
    {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(HeartbeatMs);
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
        clock_.start();
        timer_.start();
    }
    // Starts a new window of observation and returns the longest gap of the last one.
    Gap restart()
    {
        tick();
        const Gap longest = longest_;
        longest_ = Gap();
        return longest;
    }

private:
    void tick()
    {
        const Gap gap{(clock_.nsecsElapsed() - lastWall_) / 1e6, threadCpuMs() - lastCpu_};
        if (gap.wallMs > longest_.wallMs)
            longest_ = gap;
        lastWall_ = clock_.nsecsElapsed();
        lastCpu_ = threadCpuMs();
    }
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 lastWall_ = 0;
    double lastCpu_ = 0;
    Gap longest_;
};

// Runs the event loop until the list shows the latest requested folder.
void waitForListing(FileListBox *list)
{
    if (!list->listingPending())
        return;
    QEventLoop loop;
    QObject::connect(list, &FileListBox::listingShown, &loop, [&] {
        if (!list->listingPending())
            loop.quit();
    });
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    loop.exec();
}

void makeDrawings(const QString &folder, int count)
{
    QDir().mkpath(folder);
    for (int i = 0; i < count; ++i) {
        QFile file(folder + QStringLiteral("/D%1-plan.dwg").arg(i, 5, 10, QLatin1Char('0')));
        file.open(QIODevice::WriteOnly);
    }
}

struct Keystroke
{
    QString text;
    double handlerMs; // the change handler itself
    double shownMs; // until the list shows the folder of the text
    double cpuMs; // all the window thread's work until then
    StallDetector::Gap stall; // longest heartbeat gap from the keystroke until then
};

// Types the path one character at a time, as fast as the list follows.
std::vector<Keystroke> typePath(Form1 *window, StallDetector &detector, const QString &path)
{
    std::vector<Keystroke> strokes;
    window->txtFileLoc->clear();
    waitForListing(window->File1);
    for (qsizetype length = 1; length <= path.size(); ++length) {
        Keystroke stroke{path.left(length), 0, 0, 0, {}};
        detector.restart();
        const double cpuBefore = threadCpuMs();
        QElapsedTimer clock;
        clock.start();
        window->txtFileLoc->setText(stroke.text);
        stroke.handlerMs = clock.nsecsElapsed() / 1e6;
        waitForListing(window->File1);
        stroke.shownMs = clock.nsecsElapsed() / 1e6;
        stroke.cpuMs = threadCpuMs() - cpuBefore;
        stroke.stall = detector.restart();
        strokes.push_back(stroke);
    }
    return strokes;
}

void reportTyping(const std::vector<Keystroke> &strokes, const QString &bigFolder)
{
    std::vector<double> stalls, stallCpu, handlers, cpu, sameFolder;
    const Keystroke *worst = &strokes.front();
    const Keystroke *entering = nullptr;
    for (const Keystroke &stroke : strokes) {
        stalls.push_back(stroke.stall.wallMs);
        stallCpu.push_back(stroke.stall.cpuMs);
        handlers.push_back(stroke.handlerMs);
        cpu.push_back(stroke.cpuMs);
        if (stroke.stall.wallMs > worst->stall.wallMs)
            worst = &stroke;
        if (!entering && stroke.text == bigFolder + u'/')
            entering = &stroke;
        else if (entering)
            sameFolder.push_back(stroke.shownMs);
    }
    std::printf("keystrokes: %zu\n", strokes.size());
    printRow(QStringLiteral("change handler per keystroke"), summarize(handlers));
    printRow(QStringLiteral("window thread CPU per keystroke, until shown"), summarize(cpu));
    printRow(QStringLiteral("longest thread stall per keystroke"), summarize(stalls));
    printRow(QStringLiteral("  its CPU time on the window's thread"), summarize(stallCpu));
    std::printf("  worst keystroke: \"%s\" %.2f ms, of it %.2f ms CPU (budget %d ms)\n",
                qPrintable(worst->text.right(24)), worst->stall.wallMs, worst->stall.cpuMs, BudgetMs);
    if (entering)
        std::printf("typing the separator that enters the big folder: shown after %.1f ms, stall %.2f ms\n",
                    entering->shownMs, entering->stall.wallMs);
    printRow(QStringLiteral("file name keystrokes: folder shown again"), summarize(sameFolder));
}

// Two folders in turn: every listing replaces all 20 000 names.
void reportSwitching(Form1 *window, StallDetector &detector, const QString &bigFolder, const QString &smallFolder)
{
    std::vector<double> stalls, stallCpu, shown;
    for (int round = 0; round < 10; ++round) {
        for (const QString &folder : {bigFolder, smallFolder}) {
            detector.restart();
            QElapsedTimer clock;
            clock.start();
            window->txtFileLoc->setText(folder + QStringLiteral("/plan.dwg"));
            waitForListing(window->File1);
            if (folder == bigFolder) {
                shown.push_back(clock.nsecsElapsed() / 1e6);
                QCoreApplication::processEvents(); // the view's delayed layout and paint
                const StallDetector::Gap stall = detector.restart();
                stalls.push_back(stall.wallMs);
                stallCpu.push_back(stall.cpuMs);
            }
        }
    }
    printRow(QStringLiteral("switch to the big folder: shown after"), summarize(shown));
    printRow(QStringLiteral("switch to the big folder: longest stall"), summarize(stalls));
    printRow(QStringLiteral("  its CPU time on the window's thread"), summarize(stallCpu));
}

// What 20 000 names cost the GUI thread in different list widgets, painted once.
void compareWidgets(const QStringList &names)
{
    QListWidget listWidget;
    QListView plainView, uniformView;
    QStringListModel plainModel, uniformModel;
    plainView.setModel(&plainModel);
    uniformView.setModel(&uniformModel);
    uniformView.setUniformItemSizes(true);
    for (QWidget *widget : std::initializer_list<QWidget *>{&listWidget, &plainView, &uniformView}) {
        widget->resize(169, 123);
        widget->show();
    }
    QCoreApplication::processEvents();
    const auto fill = [](const std::function<void()> &set) {
        return measure(5, [&] {
            set();
            QCoreApplication::processEvents();
        });
    };
    printRow(QStringLiteral("QListWidget clear + addItems"), fill([&] {
                 listWidget.clear();
                 listWidget.addItems(names);
             }));
    printRow(QStringLiteral("QListView + QStringListModel"), fill([&] { plainModel.setStringList(names); }));
    printRow(QStringLiteral("  the same with uniform item sizes"), fill([&] { uniformModel.setStringList(names); }));
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 20000;

    QTemporaryDir dir;
    const QString programFolder = dir.filePath(QStringLiteral("program"));
    const QString bigFolder = dir.filePath(QStringLiteral("jobs/big"));
    const QString smallFolder = dir.filePath(QStringLiteral("jobs/small"));
    QDir().mkpath(programFolder);
    makeDrawings(bigFolder, count);
    makeDrawings(smallFolder, 12);
    std::printf("%d empty drawings in %s\n", count, qPrintable(bigFolder));

    useCatalogueCopy(programFolder, 1000);
    Forms::setOnAllUnloaded(nullptr);
    MsgBoxSeam::setHandler([](const Message &m) { std::fprintf(stderr, "message: %s\n", qPrintable(m.text)); });
    if (!StartUp::EntryRoutine())
        return 1;
    Form1 *window = Forms::Loaded<Form1>();
    QCoreApplication::processEvents();

    const QStringList patterns{QStringLiteral("*.dwg")};
    printRow(QStringLiteral("background listing of the big folder"),
             measure(5, [&] { listFolder(bigFolder, patterns); }));

    StallDetector detector;
    reportTyping(typePath(window, detector, bigFolder + QStringLiteral("/D00042-plan.dwg")), bigFolder);
    reportSwitching(window, detector, bigFolder, smallFolder);
    compareWidgets(*listFolder(bigFolder, patterns));
    std::printf("peak memory: %.1f MB\n", peakMemoryMb());

    window->Unload();
    return 0;
}
