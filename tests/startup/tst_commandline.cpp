// The command line of the real program, with no display at all: --help and
// --version answer, an unknown option is refused clearly, and the manual page
// documents every option --help lists.
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace {
struct Outcome
{
    int status;
    QString out;
    QString err;
};

Outcome morvo(const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(name);
    process.setProcessEnvironment(env);
    process.start(qEnvironmentVariable("MORVO_EXE"), arguments);
    if (!process.waitForFinished(10000))
        return {-1, {}, {}};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : 128,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

QStringList optionsIn(const QString &text)
{
    QStringList options;
    const QRegularExpression option(QStringLiteral("(?<![\\w-])--[a-z][a-z-]*"));
    for (const QRegularExpressionMatch &match : option.globalMatch(text))
        options << match.captured();
    options.removeDuplicates();
    return options;
}
}

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void helpListsTheOptions()
    {
        const Outcome help = morvo({"--help"});
        QCOMPARE(help.status, 0);
        QVERIFY2(help.out.startsWith("Usage: morvo"), qPrintable(help.out));
        QVERIFY(optionsIn(help.out).contains("--help"));
        QVERIFY(optionsIn(help.out).contains("--version"));
        QCOMPARE(help.err, QString());
    }

    void versionNamesTheProgram()
    {
        const Outcome version = morvo({"--version"});
        QCOMPARE(version.status, 0);
        QVERIFY2(QRegularExpression("^morvo \\d+\\.\\d+(\\.\\d+)?\\n$").match(version.out).hasMatch(),
                 qPrintable(version.out));
    }

    void unknownOptionsAreRefusedClearly_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::newRow("long option") << "--frobnicate";
        QTest::newRow("short option") << "-h";
        QTest::newRow("a file") << "office.res";
        QTest::newRow("a Qt option") << "-platform";
    }
    void unknownOptionsAreRefusedClearly()
    {
        QFETCH(QString, argument);
        const Outcome refused = morvo({argument});
        QCOMPARE(refused.status, 2);
        QCOMPARE(refused.out, QString());
        QVERIFY2(refused.err.contains("unknown option '" + argument + "'") && refused.err.contains("morvo --help"),
                 qPrintable(refused.err));
    }

    void theManualPageDocumentsEveryOption()
    {
        QFile page(qEnvironmentVariable("MORVO_MANPAGE"));
        QVERIFY(page.open(QIODevice::ReadOnly));
        // The page spells a dash \- in its source.
        const QString text = QString::fromUtf8(page.readAll()).replace(QStringLiteral("\\-"), QStringLiteral("-"));
        const QString options = text.section(QStringLiteral(".SH OPTIONS"), 1).section(QStringLiteral(".SH "), 0, 0);
        for (const QString &option : optionsIn(morvo({"--help"}).out))
            QVERIFY2(QRegularExpression("\\.BI? " + option + "\\b").match(options).hasMatch(), qPrintable(option));
    }
};

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
