// The debug adapter's parts without a process: why a launch fails, where
// line breakpoints stand, and a session's typed values, changes by hand, the
// whole machine kept between two steps, and runs gone through backwards.
#include "dap/breakpoints.h"
#include "dap/session.h"
#include "sampledata.h"

#include <QTemporaryDir>
#include <QTest>

namespace
{

program::Program assembled(const QString &text)
{
    program::Program program;
    program.name = QStringLiteral("p.kasm");
    program.text = text;
    QString error;
    if (!program.assemble(error))
        qFatal("%s", qPrintable(error));
    return program;
}

} // namespace

class TestDap : public QObject
{
    Q_OBJECT

private slots:
    void launchError_data();
    void launchError();
    void lineBreakpoints_data();
    void lineBreakpoints();
    void typedValues_data();
    void typedValues();
    void changesByHand_data();
    void changesByHand();
    void stateAtAnInputThatWaits();
    void restoredStateRunsTheSame();
    void backwardsVisitsTheSameStates_data();
    void backwardsVisitsTheSameStates();
    void reverseContinue_data();
    void reverseContinue();
    void replayTakesTypedValuesAgain();
    void hitCountsOnceEachPoint();
    void changingThePast_data();
    void changingThePast();
    void dataBreakpointsStopAfterEachUse_data();
    void dataBreakpointsStopAfterEachUse();
    void reverseContinuePausesAtAStateOfTheRun();

private:
    QTemporaryDir folder;
    QString write(const QString &text);
};

QString TestDap::write(const QString &text)
{
    static int count = 0;
    const QString path = folder.filePath(QStringLiteral("p%1.kasm").arg(++count));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0)
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// A launch that fails says why as korvane-run does, and where the first error stands.
void TestDap::launchError_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines"); // NAME: the file's path
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("column");

    QTest::newRow("about a line")
        << "a.kasm"
        << "\tINP\n\n\n\n\tOUPT\n"
        << QStringList{"NAME:5:2: error: 'OUPT' is not an instruction; did you mean OUT?"} << 5
        << 2;
    QTest::newRow("with a note, in a name with colons")
        << "c:/x:y.kasm"
        << "x\tLDA\ty\n"
        << QStringList{"NAME:1:7: error: label 'y' is not defined",
                       "NAME:1:7: note: to use 'y' as a variable, define it on a line of its own "
                       "after the program: 'y DAT'"}
        << 1 << 7;
    QTest::newRow("a file that cannot be read")
        << "missing.kasm" << QString()
        << QStringList{"Cannot read 'NAME': No such file or directory."} << 0 << 1;
}

void TestDap::launchError()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QFETCH(int, line);
    QFETCH(int, column);
    const QString path = folder.filePath(name);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!text.isNull())
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) == text.size());
    file.close();
    dap::Session session;
    dap::LaunchOptions options;
    options.program = path;
    dap::LaunchError error;
    QVERIFY(!session.launch(options, error));
    QCOMPARE(error.lines, lines.replaceInStrings(QStringLiteral("NAME"), path));
    QCOMPARE(error.at.line, line);
    QCOMPARE(error.at.column(), column);
    QVERIFY(!session.launched());
}

void TestDap::lineBreakpoints_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("lines");
    QTest::addColumn<QStringList>("placed"); // "line@address", or "-" when not verified

    const QString program = QStringLiteral("\n\tLDA\tx\n\n\n\tOUT\nx\tDAT\t3\n\n");
    QTest::newRow("blank lines hand on to the next word")
        << program << QList<int>{1, 3, 4} << QStringList{"2@00", "5@01", "5@01"};
    QTest::newRow("a data line keeps its breakpoint")
        << program << QList<int>{6} << QStringList{"6@02"};
    QTest::newRow("past the program, or no line at all")
        << program << QList<int>{7, 100, 0, -3} << QStringList{"-", "-", "-", "-"};
}

void TestDap::lineBreakpoints()
{
    QFETCH(QString, text);
    QFETCH(QList<int>, lines);
    QFETCH(QStringList, placed);
    dap::Breakpoints breakpoints;
    QStringList seen;
    machine::Processor::Breakpoints cells;
    for (const dap::LineBreakpoint &breakpoint : breakpoints.setLines(assembled(text), lines)) {
        seen << (breakpoint.verified ? QStringLiteral("%1@%2")
                                           .arg(breakpoint.line)
                                           .arg(program::addressText(breakpoint.address))
                                     : QStringLiteral("-"));
        if (breakpoint.verified) {
            cells.set(std::size_t(breakpoint.address));
            QVERIFY(breakpoints.idsAt(breakpoint.address).contains(breakpoint.id));
        } else {
            QVERIFY(!breakpoint.message.isEmpty());
        }
    }
    QCOMPARE(seen, placed);
    QCOMPARE(breakpoints.cells(), cells);
}

void TestDap::typedValues_data()
{
    QTest::addColumn<QStringList>("launchInput");
    QTest::addColumn<QStringList>("typed"); // in the console, one text per wait
    QTest::addColumn<QString>("output");
    QTest::addColumn<QStringList>("messages");

    QTest::newRow("all at launch")
        << QStringList{"3", "4"} << QStringList{} << "7" << QStringList{};
    QTest::newRow("empty and invalid values are passed over")
        << QStringList{"", "x", "3"} << QStringList{"4"} << "7" << QStringList{"Invalid input."};
    QTest::newRow("two values typed at once")
        << QStringList{} << QStringList{"10 -2"} << "8" << QStringList{};
    QTest::newRow("a value out of range, then one in range")
        << QStringList{} << QStringList{"2147483648", "-2147483648", "-1"} << "2147483647"
        << QStringList{"Invalid input."};
}

void TestDap::typedValues()
{
    QFETCH(QStringList, launchInput);
    QFETCH(QStringList, typed);
    QFETCH(QString, output);
    QFETCH(QStringList, messages);
    dap::Session session;
    dap::LaunchOptions options;
    options.program =
        write(QStringLiteral("\tINP\n\tSTA\tx\n\tINP\n\tADD\tx\n\tOUT\n\tHLT\nx\tDAT\n"));
    options.input = launchInput;
    dap::LaunchError errors;
    QVERIFY(session.launch(options, errors));
    std::optional<dap::Stop> stop = session.runFor(1000, dap::Resume::FromStop);
    for (const QString &text : typed) {
        QVERIFY(stop);
        QCOMPARE(stop->reason, dap::Stop::Input);
        QVERIFY(session.waitingForInput());
        stop = session.type(text);
        if (stop->reason != dap::Stop::Input)
            stop = session.runFor(1000, dap::Resume::FromStop);
    }
    QVERIFY(stop);
    QCOMPARE(stop->reason, dap::Stop::Halted);
    QStringList outputs;
    QStringList said;
    for (const dap::ConsoleLine &line : session.takeConsoleLines())
        (line.kind == dap::ConsoleLine::Output ? outputs : said) << line.text;
    QCOMPARE(outputs, QStringList{output});
    QCOMPARE(said, messages);
}

void TestDap::changesByHand_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("refusal");

    QTest::newRow("accumulator") << "acc"
                                 << " -7 "
                                 << "";
    QTest::newRow("accumulator: text") << "acc"
                                       << "7x"
                                       << "'7x' is not a whole number from -2147483648 to "
                                          "2147483647.";
    QTest::newRow("accumulator: nothing") << "acc"
                                          << ""
                                          << "'' is not a whole number from -2147483648 to "
                                             "2147483647.";
    QTest::newRow("flags 1") << "flags"
                             << "1"
                             << "";
    QTest::newRow("flags 2") << "flags"
                             << "2"
                             << "The flags are 0 or 1.";
    QTest::newRow("a cell, as written") << "cell"
                                        << "+0607"
                                        << "";
    QTest::newRow("a cell: too large") << "cell"
                                       << "99999999999"
                                       << "'99999999999' is not a whole number from "
                                          "-2147483648 to 2147483647.";
}

void TestDap::changesByHand()
{
    QFETCH(QString, what);
    QFETCH(QString, value);
    QFETCH(QString, refusal);
    dap::Session session;
    dap::LaunchOptions options;
    options.program = write(QStringLiteral("\tHLT\n"));
    dap::LaunchError errors;
    QVERIFY(session.launch(options, errors));
    const dap::MachineState before = session.state();
    const QString refused = what == QLatin1String("acc") ? session.timeline().setAccumulator(value)
                            : what == QLatin1String("flags") ? session.timeline().setFlags(value)
                                                             : session.timeline().setCell(7, value);
    QCOMPARE(refused, refusal);
    const dap::MachineState after = session.state();
    if (!refusal.isEmpty()) {
        QCOMPARE(after, before);
        return;
    }
    if (what == QLatin1String("acc"))
        QCOMPARE(after.registers.accumulator, -7);
    else if (what == QLatin1String("flags"))
        QCOMPARE(after.registers.flags, 1);
    else
        QCOMPARE(after.cells[7], QStringLiteral("+0607"));
}

// While an input waits, the machine rests before the input instruction: a
// state kept there and the state after the value are a step apart.
void TestDap::stateAtAnInputThatWaits()
{
    dap::Session session;
    dap::LaunchOptions options;
    options.program = write(QStringLiteral("\tLDA\tx\n\tINP\n\tOUT\n\tHLT\nx\tDAT\t9\n"));
    dap::LaunchError errors;
    QVERIFY(session.launch(options, errors));
    const std::optional<dap::Stop> stop = session.runFor(1000, dap::Resume::FromStop);
    QVERIFY(stop);
    QCOMPARE(stop->reason, dap::Stop::Input);
    QCOMPARE(stop->description,
             QStringLiteral("INP at line 2 waits for a value: type it in the debug console"));
    const dap::MachineState waiting = session.state();
    QCOMPARE(waiting.registers.pc, 1);
    QCOMPARE(waiting.registers.executedSteps, quint64(1));
    QCOMPARE(waiting.registers.accumulator, 9);
    QCOMPARE(session.step().reason, dap::Stop::Input); // still no value
    QCOMPARE(session.state(), waiting);

    QCOMPARE(session.type(QStringLiteral("5")).reason, dap::Stop::Step);
    QVERIFY(session.lastStep());
    QCOMPARE(session.lastStep()->effect, machine::Step::Effect::Input);
    QCOMPARE(session.lastStep()->value, 5);
    const dap::MachineState after = session.state();
    QCOMPARE(after.registers.pc, 2);
    QCOMPARE(after.registers.executedSteps, quint64(2));
    QCOMPARE(after.inputTaken, qsizetype(1));
    QCOMPARE(after.cells, waiting.cells);
}

// A state kept in the middle of a run and put back later makes the rest of
// the run the same: the same states after each step, the same output, and
// the values typed after it taken again. Step backwards builds on this.
void TestDap::restoredStateRunsTheSame()
{
    dap::Session session;
    dap::LaunchOptions options;
    options.program = write(testdata::samples()[5].text); // factorial
    options.input = {QStringLiteral("x"), QStringLiteral("5")};
    dap::LaunchError errors;
    QVERIFY(session.launch(options, errors));
    for (int step = 0; step < 7; ++step)
        QCOMPARE(session.step().reason, dap::Stop::Step);
    const dap::MachineState kept = session.state();
    session.takeConsoleLines();

    const auto runToEnd = [&session] {
        QList<dap::MachineState> states;
        for (;;) {
            const dap::Stop stop = session.step();
            states << session.state();
            if (stop.reason != dap::Stop::Step)
                break;
        }
        QStringList console;
        for (const dap::ConsoleLine &line : session.takeConsoleLines())
            console << line.text;
        return std::pair(states, console);
    };
    const auto first = runToEnd();
    QCOMPARE(first.second, QStringList{"120"});
    QVERIFY(first.first.size() > 20);

    session.restore(kept);
    QCOMPARE(session.state(), kept);
    const auto second = runToEnd();
    QCOMPARE(second.first, first.first);
    QCOMPARE(second.second, QStringList()); // replayed: the output was sent before

    // Back to the start, the program loaded again by hand: that changes the
    // past, so the run goes on anew, the input typed again with
    // "Invalid input." and the output sent.
    session.restore(dap::MachineState{[] {
                                          std::array<QString, machine::kMemorySize> cells;
                                          cells.fill(QStringLiteral("00"));
                                          return cells;
                                      }(),
                                      {},
                                      0,
                                      0});
    for (int address = 0; address < testdata::samples()[5].image.size(); ++address)
        QCOMPARE(session.timeline().setCell(address, testdata::samples()[5].image[address]),
                 QString());
    const auto fromStart = runToEnd();
    QCOMPARE(fromStart.second.size(), 3);
    QVERIFY(fromStart.second[0].startsWith(QStringLiteral("The past was changed at step 0: the ")));
    QCOMPARE(fromStart.second.mid(1), (QStringList{"Invalid input.", "120"}));
    QCOMPARE(fromStart.first.last(), first.first.last());
}

namespace
{

// Five rounds of LDA, SUB, STA, OUT, BRP counting 4 down to 0, then HLT: 26
// steps. Before steps 3, 8, 13, 18 and 23 the next instruction is the OUT (line 4).
const char kCountDown[] = "loop\tLDA\tcount\n\tSUB\tone\n\tSTA\tcount\n\tOUT\n\tBRP\tloop\n"
                          "\tHLT\ncount\tDAT\t5\none\tDAT\t1\n";

// Steps forwards until the run stops otherwise than after a step: the state
// after each step, the start included.
QList<dap::MachineState> forwardsToTheEnd(dap::Session &session)
{
    QList<dap::MachineState> states{session.state()};
    for (;;) {
        const dap::Stop stop = session.step();
        if (stop.reason != dap::Stop::Step && stop.reason != dap::Stop::Halted)
            break;
        states << session.state();
        if (stop.reason == dap::Stop::Halted)
            break;
    }
    return states;
}

QStringList consoleTexts(dap::Session &session)
{
    QStringList texts;
    for (const dap::ConsoleLine &line : session.takeConsoleLines())
        texts << line.text;
    return texts;
}

} // namespace

// Checkpoints few and far apart, thinned soon: every state is still found
// again on the way back, stores into code and input included.
void TestDap::backwardsVisitsTheSameStates_data()
{
    QTest::addColumn<int>("sample");
    QTest::addColumn<QStringList>("input");
    QTest::addColumn<quint64>("spacing");
    QTest::newRow("factorial, a checkpoint every step") << 5 << QStringList{"x", "5"} << quint64(1);
    QTest::newRow("factorial, every 7 steps") << 5 << QStringList{"5"} << quint64(7);
    QTest::newRow("maximum of two, every 3") << 3 << QStringList{"6", "9"} << quint64(3);
    QTest::newRow("triangular numbers, every 50") << 4 << QStringList{} << quint64(50);
}

void TestDap::backwardsVisitsTheSameStates()
{
    QFETCH(int, sample);
    QFETCH(QStringList, input);
    QFETCH(quint64, spacing);
    dap::Session session(spacing, 4);
    dap::LaunchOptions options;
    options.program = write(testdata::samples()[std::size_t(sample)].text);
    options.input = input;
    dap::LaunchError errors;
    QVERIFY(session.launch(options, errors));
    const QList<dap::MachineState> states = forwardsToTheEnd(session);
    QVERIFY(session.halted());
    QVERIFY(session.timeline().size() <= 4);
    const QStringList console = consoleTexts(session);
    for (qsizetype index = states.size() - 2; index >= 0; --index) {
        QCOMPARE(session.timeline().stepBack().reason, dap::Stop::Step);
        QCOMPARE(session.state(), states[index]);
    }
    QCOMPARE(session.timeline().stepBack().reason, dap::Stop::Start);
    QCOMPARE(session.state(), states.first());
    QCOMPARE(forwardsToTheEnd(session), states);
    QCOMPARE(consoleTexts(session), QStringList()); // nothing sent again
    QVERIFY(!console.isEmpty());
}

// Back to the last step before this one at which the next instruction stood
// at a breakpoint, whatever the checkpoints; the start when there is none.
void TestDap::reverseContinue_data()
{
    QTest::addColumn<QList<qint32>>("lines");
    QTest::addColumn<quint64>("spacing");
    QTest::addColumn<QList<quint64>>("reached"); // from the halt, one reverseContinue each
    const QList<quint64> outs{23, 18, 13, 8, 3, 0};
    QTest::newRow("OUT, checkpoints every 4 steps") << QList<qint32>{4} << quint64(4) << outs;
    QTest::newRow("OUT, every step") << QList<qint32>{4} << quint64(1) << outs;
    QTest::newRow("OUT, only the start kept") << QList<qint32>{4} << quint64(1000) << outs;
    QTest::newRow("OUT and HLT") << QList<qint32>{4, 6} << quint64(4)
                                 << QList<quint64>{25, 23, 18, 13, 8, 3, 0};
    QTest::newRow("the first line: the start is a hit")
        << QList<qint32>{1} << quint64(5) << QList<quint64>{20, 15, 10, 5, 0, 0};
    QTest::newRow("none") << QList<qint32>{} << quint64(4) << QList<quint64>{0, 0};
    QTest::newRow("a data line never runs") << QList<qint32>{7} << quint64(4) << QList<quint64>{0};
}

void TestDap::reverseContinue()
{
    QFETCH(QList<qint32>, lines);
    QFETCH(quint64, spacing);
    QFETCH(QList<quint64>, reached);
    dap::Session session(spacing, 4);
    dap::LaunchOptions options;
    options.program = write(QString::fromLatin1(kCountDown));
    dap::LaunchError errors;
    QVERIFY(session.launch(options, errors));
    session.breakpoints().setLines(session.program(), lines);
    const QList<dap::MachineState> states = forwardsToTheEnd(session);
    QCOMPARE(states.size(), 27);
    for (const quint64 step : reached) {
        const dap::Stop stop = session.timeline().reverseContinue();
        QCOMPARE(session.processor().executedSteps(), step);
        QCOMPARE(session.state(), states[qsizetype(step)]);
        if (stop.reason == dap::Stop::Breakpoint)
            QCOMPARE(stop.breakpointIds, session.breakpoints().idsAt(session.processor().pc()));
        else
            QCOMPARE(stop.reason, dap::Stop::Start);
    }
    // Forwards from there stops at the breakpoints as the first run did.
    if (!lines.isEmpty() && lines.first() == 4) {
        session.breakpoints().setLines(session.program(), {4});
        const std::optional<dap::Stop> stop = session.runFor(1000, dap::Resume::FromStop);
        QVERIFY(stop);
        QCOMPARE(stop->reason, dap::Stop::Breakpoint);
        QCOMPARE(session.processor().executedSteps(), quint64(3));
    }
}

// Going back over an input and forwards again takes the value typed then;
// only past the furthest step does the run ask again.
void TestDap::replayTakesTypedValuesAgain()
{
    dap::Session session(2, 4);
    dap::LaunchOptions options;
    options.program = write(QStringLiteral("\tINP\n\tOUT\n\tINP\n\tOUT\n\tHLT\n"));
    dap::LaunchError errors;
    QVERIFY(session.launch(options, errors));
    QCOMPARE(session.runFor(100, dap::Resume::FromStop)->reason, dap::Stop::Input);
    QCOMPARE(session.type(QStringLiteral("seven 7")).reason, dap::Stop::Step);
    QCOMPARE(session.step().reason, dap::Stop::Step);
    QCOMPARE(consoleTexts(session), (QStringList{"Invalid input.", "7"}));
    QCOMPARE(session.runFor(100, dap::Resume::FromStop)->reason,
             dap::Stop::Input); // the second INP
    QCOMPARE(session.timeline().furthest(), quint64(2));

    QCOMPARE(session.timeline().reverseContinue().reason, dap::Stop::Start);
    QVERIFY(!session.waitingForInput());
    QVERIFY(session.timeline().atRecordedInput());
    QCOMPARE(session.runFor(100, dap::Resume::FromStop)->reason,
             dap::Stop::Input); // the same INP waits again
    QCOMPARE(session.processor().executedSteps(), quint64(2));
    QCOMPARE(consoleTexts(session), QStringList());
    QCOMPARE(session.type(QStringLiteral("8")).reason, dap::Stop::Step);
    QCOMPARE(session.runFor(100, dap::Resume::FromStop)->reason, dap::Stop::Halted);
    QCOMPARE(consoleTexts(session), QStringList{"8"});
    QCOMPARE(session.timeline().furthest(), quint64(5));
}

// A hit count counts each point of the run once: gone through again, by
// reverseContinue or forwards, the breakpoint stops where it stopped first.
void TestDap::hitCountsOnceEachPoint()
{
    dap::Session session(4, 4);
    dap::LaunchOptions options;
    options.program = write(QString::fromLatin1(kCountDown));
    dap::LaunchError errors;
    QVERIFY(session.launch(options, errors));
    session.breakpoints().setLines(session.program(), {4}, {{{}, QStringLiteral("% 2"), {}}});
    const auto stopsTo = [&session](quint64 steps) {
        const std::optional<dap::Stop> stop = session.runFor(1000, dap::Resume::FromStop);
        return stop && stop->reason == dap::Stop::Breakpoint &&
               session.processor().executedSteps() == steps;
    };
    QVERIFY(stopsTo(8));
    QVERIFY(stopsTo(18));
    QCOMPARE(session.timeline().reverseContinue().reason, dap::Stop::Breakpoint);
    QCOMPARE(session.processor().executedSteps(), quint64(8));
    QCOMPARE(session.timeline().reverseContinue().reason, dap::Stop::Start);
    QVERIFY(stopsTo(8));
    QVERIFY(stopsTo(18));
    QCOMPARE(session.runFor(1000, dap::Resume::FromStop)->reason,
             dap::Stop::Halted); // 5 hits: the 6th never comes
    QCOMPARE(session.breakpoints().lines().first().hits, quint64(5));

    // Changed at step 8: the points after it count anew.
    QCOMPARE(session.timeline().reverseContinue().reason, dap::Stop::Breakpoint);
    QCOMPARE(session.timeline().reverseContinue().reason, dap::Stop::Breakpoint);
    QCOMPARE(session.processor().executedSteps(), quint64(8));
    QCOMPARE(session.timeline().setAccumulator(QStringLiteral("3")), QString());
    QVERIFY(stopsTo(13)); // the 6th hit
}

// A change by hand, or another value for an input gone back to, drops the
// recorded future once: the run then goes on anew, its output sent.
void TestDap::changingThePast_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QStringList>("output"); // after the change, to the halt
    QTest::newRow("the accumulator") << "acc" << QStringList{"40", "7"};
    QTest::newRow("a cell") << "cell" << QStringList{"3", "9"};
    QTest::newRow("another value typed") << "retype" << QStringList{"9", "7"};
    QTest::newRow("at the furthest step: nothing dropped") << "none" << QStringList{};
}

void TestDap::changingThePast()
{
    QFETCH(QString, change);
    QFETCH(QStringList, output);
    dap::Session session(1, 4);
    dap::LaunchOptions options;
    options.program = write(QStringLiteral("\tINP\n\tOUT\n\tLDA\tx\n\tOUT\n\tHLT\nx\tDAT\t7\n"));
    options.input = {QStringLiteral("3")};
    dap::LaunchError errors;
    QVERIFY(session.launch(options, errors));
    QCOMPARE(session.runFor(100, dap::Resume::FromStop)->reason, dap::Stop::Halted);
    QCOMPARE(consoleTexts(session), (QStringList{"3", "7"}));
    if (change == QLatin1String("none")) {
        QCOMPARE(session.timeline().setAccumulator(QStringLiteral("1")), QString());
        QCOMPARE(consoleTexts(session), QStringList());
        return;
    }
    const dap::Stop back = change == QLatin1String("retype") ? session.timeline().reverseContinue()
                                                             : session.timeline().stepBack();
    Q_UNUSED(back);
    if (change == QLatin1String("acc")) {
        for (int step = 0; step < 3; ++step)
            session.timeline().stepBack(); // before the first OUT: step 1
        QCOMPARE(session.timeline().setAccumulator(QStringLiteral("40")), QString());
    } else if (change == QLatin1String("cell")) {
        for (int step = 0; step < 3; ++step)
            session.timeline().stepBack(); // step 1, x still 7
        QCOMPARE(session.timeline().setCell(5, QStringLiteral("9")), QString());
    } else {
        QVERIFY(session.timeline().atRecordedInput());
        QCOMPARE(session.timeline().retype(QStringLiteral("9")).reason, dap::Stop::Step);
    }
    const QStringList changed = consoleTexts(session);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.first(),
             change == QLatin1String("retype")
                 ? QStringLiteral("The past was changed at step 0: the 5 steps recorded after it "
                                  "are dropped, and the run goes on anew from here.")
                 : QStringLiteral("The past was changed at step 1: the 4 steps recorded after it "
                                  "are dropped, and the run goes on anew from here."));
    QCOMPARE(session.runFor(100, dap::Resume::FromStop)->reason, dap::Stop::Halted);
    QCOMPARE(consoleTexts(session), output);
    QCOMPARE(session.timeline().furthest(), quint64(5));
}

// A data breakpoint stops after each step that uses its cell (a store; with
// readWrite a load or arithmetic too), forwards and by reverseContinue, with
// line breakpoints between and code that a store changes. The steps expected
// come from the run stepped one at a time.
void TestDap::dataBreakpointsStopAfterEachUse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint32>("cell");
    QTest::addColumn<bool>("readWrite");
    QTest::addColumn<QList<qint32>>("lines");
    QTest::addColumn<quint64>("spacing");
    const QString countDown = QString::fromLatin1(kCountDown);
    QTest::newRow("count, write") << countDown << 6 << false << QList<qint32>{} << quint64(4);
    QTest::newRow("count, readWrite") << countDown << 6 << true << QList<qint32>{} << quint64(7);
    QTest::newRow("one, write: never") << countDown << 7 << false << QList<qint32>{} << quint64(4);
    QTest::newRow("one, readWrite, a line breakpoint on its reader")
        << countDown << 7 << true << QList<qint32>{2, 4} << quint64(3);
    QTest::newRow("count, readWrite, a line breakpoint on its store")
        << countDown << 6 << true << QList<qint32>{3} << quint64(1000);
    // The store turns the load in cell 0 into a branch that is not taken.
    const QString changed = QStringLiteral(
        "slot\tLDA\tval\n\tLDA\tn\n\tSUB\tone\n\tSTA\tn\n\tBRN\tdone\n\tLDA\tjump\n\tSTA\tslot\n"
        "\tBRA\tslot\ndone\tHLT\nn\tDAT\t1\none\tDAT\t1\nval\tDAT\t42\njump\tDAT\t1008\n");
    QTest::newRow("code changed by a store, readWrite")
        << changed << 11 << true << QList<qint32>{} << quint64(2);
    QTest::newRow("the changed cell, write")
        << changed << 0 << false << QList<qint32>{7} << quint64(5);
}

void TestDap::dataBreakpointsStopAfterEachUse()
{
    QFETCH(QString, text);
    QFETCH(qint32, cell);
    QFETCH(bool, readWrite);
    QFETCH(QList<qint32>, lines);
    QFETCH(quint64, spacing);
    dap::Session session(spacing, 4);
    dap::LaunchOptions options;
    options.program = write(text);
    dap::LaunchError errors;
    QVERIFY2(session.launch(options, errors), qPrintable(errors.lines.join(u'\n')));
    QList<quint64> expected;
    for (dap::Stop stop = session.step();
         stop.reason == dap::Stop::Step || stop.reason == dap::Stop::Halted;
         stop = session.step()) {
        const machine::Step &step = *session.lastStep();
        const bool reads = step.opcode == 1 || step.opcode == 2 || step.opcode == 3 ||
                           step.opcode == 4 || step.opcode == 6;
        if (step.operand == cell && (step.opcode == 5 || (readWrite && reads)))
            expected << step.number;
        if (stop.reason == dap::Stop::Halted)
            break;
    }
    QVERIFY(session.halted());

    QVERIFY(session.launch(options, errors));
    session.breakpoints().setLines(session.program(), lines);
    session.breakpoints().setData({{0, cell, readWrite}});
    QList<quint64> forwards;
    for (;;) {
        const std::optional<dap::Stop> stop = session.runFor(1000, dap::Resume::FromStop);
        QVERIFY(stop);
        if (stop->reason == dap::Stop::Halted)
            break;
        if (stop->reason == dap::Stop::DataBreakpoint)
            forwards << session.processor().executedSteps();
        else
            QCOMPARE(stop->reason, dap::Stop::Breakpoint);
    }
    QCOMPARE(forwards, expected);

    QList<quint64> backwards;
    for (;;) {
        const dap::Stop stop = session.timeline().reverseContinue();
        if (stop.reason == dap::Stop::Start)
            break;
        if (stop.reason == dap::Stop::DataBreakpoint)
            backwards.prepend(session.processor().executedSteps());
        else
            QCOMPARE(stop.reason, dap::Stop::Breakpoint);
    }
    QCOMPARE(backwards, expected);
}

// Paused over 20,000,000 recorded steps, reverseContinue rests at a state
// that the run forwards reaches after as many steps.
void TestDap::reverseContinuePausesAtAStateOfTheRun()
{
    const QString countDown =
        QStringLiteral("\tBRA\tloop\nloop\tLDA\tcount\n\tSUB\tone\n\tSTA\tcount\n\tBRP\tloop\n"
                       "\tHLT\ncount\tDAT\t5000000\none\tDAT\t1\n");
    dap::Session session;
    dap::LaunchOptions options;
    options.program = write(countDown);
    options.maxSteps = 0;
    dap::LaunchError errors;
    QVERIFY(session.launch(options, errors));
    std::optional<dap::Stop> stop;
    while (!stop)
        stop = session.runFor(1 << 24, dap::Resume::Onwards);
    QCOMPARE(stop->reason, dap::Stop::Halted);
    QVERIFY(session.processor().executedSteps() > 20'000'000);

    session.breakpoints().setLines(session.program(), {1}); // only the first step stands there
    session.breakpoints().setData({{0, 7, false}});         // "one" is never written
    session.timeline().beginReverse();
    for (int stretch = 0; stretch < 3; ++stretch)
        QVERIFY(!session.timeline().reverseStretch());
    QCOMPARE(session.timeline().pauseReverse().reason, dap::Stop::Pause);
    const dap::MachineState paused = session.state();
    const quint64 at = paused.registers.executedSteps;
    QVERIFY(at > 0 && at < 20'000'000);

    dap::Session again;
    QVERIFY(again.launch(options, errors));
    QVERIFY(!again.runFor(at, dap::Resume::Onwards));
    QCOMPARE(again.state(), paused);
    // The paused session goes on forwards from there as the first run did.
    QCOMPARE(session.step().reason, dap::Stop::Step);
    QCOMPARE(again.step().reason, dap::Stop::Step);
    QCOMPARE(session.state(), again.state());
}

QTEST_APPLESS_MAIN(TestDap)
#include "tst_dap.moc"
