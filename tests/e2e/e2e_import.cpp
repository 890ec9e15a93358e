// A Windows catalogue in "DbsLocation", met by the real program on a real X
// server: the question, the progress dialog (Cancel works while it reads),
// the converted copy opened and stored, and the next start without a question.
#include "Desktop.h"
#include "JetAppend.h"
#include "JetTestData.h"

#include <QCryptographicHash>
#include <QtTest>

using Desktop::ProgramUnderTest;

namespace {
const QString RecordWindow = QStringLiteral("    Morvo II");
const QString MessageTitle = QStringLiteral("MorvoII");
const QString ProgressTitle = QStringLiteral("Converting Catalogue");
// Enough records that the conversion takes a moment the progress dialog shows in.
constexpr long Records = 400000;

// The made Jet 4 catalogue with many more records, appended with libmdb.
QString bigWindowsCatalogue(const QString &folder)
{
    const QString path = folder + "/office.mdb";
    QFile::copy(JetTestData::dataFile("projects/jet4_v2000_projects_nopwd.mdb"), path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    std::string why;
    const bool made = JetAppend::appendRows(
        QFile::encodeName(path).toStdString(), "Projects", Records,
        [](long i) {
            const std::string n = std::to_string(2000 + i);
            return JetAppend::Row{"J" + n,
                                  "Project " + n,
                                  "Description of project " + n + "\r\nsecond line",
                                  "Client",
                                  "County",
                                  "01/02/2003",
                                  "D-" + n,
                                  "P:\\Jobs\\" + n + "\\plan.dwg"};
        },
        &why);
    return made ? path : QString();
}

// Waits for a visible window of the process with this name; 0 on timeout.
qulonglong waitFor(ProgramUnderTest &program, const QString &name, int timeoutMs = 20000)
{
    return program.waitForWindow(program.process(), name, timeoutMs);
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList({"*.mdb", "*.res", ".*"}, QDir::Files | QDir::Hidden, QDir::Name);
}
}

class E2EImport : public QObject
{
    Q_OBJECT

    QString original;
    QByteArray originalHash;
    QTemporaryDir catalogues;

private slots:
    void initTestCase()
    {
        REQUIRE_DESKTOP("x11", Desktop::hasX11());
        REQUIRE_DESKTOP("wm", Desktop::hasWindowManager());
        original = bigWindowsCatalogue(catalogues.path());
        QVERIFY(!original.isEmpty());
        originalHash = JetTestData::fileHash(original);
    }

    void cancellingTheConversionLeavesNothingBehind()
    {
        ProgramUnderTest program;
        program.setSetting(original);
        program.start();
        const qint64 pid = program.process().processId();
        QVERIFY(Desktop::pressKeyUntilGone(pid, waitFor(program, MessageTitle), "Return")); // Yes
        const qulonglong progress = waitFor(program, ProgressTitle);
        QVERIFY2(progress, "no progress dialog");
        // Its Cancel: the dialog answers while the reading goes on.
        QVERIFY(Desktop::pressKeyUntilGone(pid, progress, "Escape"));
        const qulonglong message = waitFor(program, MessageTitle);
        QVERIFY2(message, "no message after the cancel");
        QVERIFY(Desktop::pressKeyUntilGone(pid, message, "Return"));
        QVERIFY(program.process().waitForFinished(10000));
        QCOMPARE(program.process().exitCode(), 1);
        QCOMPARE(filesIn(catalogues.path()), QStringList{"office.mdb"});
        QCOMPARE(program.setting(), original);
        QCOMPARE(JetTestData::fileHash(original), originalHash);
    }

    void theConvertedCopyIsOpenedAndKept()
    {
        ProgramUnderTest program;
        program.setSetting(original);
        program.start();
        const qint64 pid = program.process().processId();
        const qulonglong question = waitFor(program, MessageTitle);
        QVERIFY2(question, "no question");
        QVERIFY(Desktop::pressKeyUntilGone(pid, question, "Return")); // Yes
        QVERIFY2(waitFor(program, ProgressTitle), "no progress dialog");
        // The drawing paths lead nowhere here: the offer of Drawing Folders, answered No.
        const qulonglong offer = waitFor(program, MessageTitle, 60000);
        QVERIFY2(offer, "no offer of the drawing folders");
        QVERIFY(Desktop::pressKeyUntilGone(pid, offer, "Escape"));
        QVERIFY2(waitFor(program, RecordWindow), "the record window was not mapped");
        const QString copy = catalogues.filePath("office (converted).res");
        QCOMPARE(program.setting(), copy);
        QVERIFY(QFileInfo(copy).size() > 0);
        QCOMPARE(JetTestData::fileHash(original), originalHash);

        // The next start opens the copy: a question would hold the record window back.
        program.process().terminate();
        QVERIFY(program.process().waitForFinished(10000));
        QProcess *again = program.start();
        QVERIFY2(program.waitForWindow(*again, RecordWindow, 20000), "a question or no window on the next start");
        QCOMPARE(program.setting(), copy);
        QCOMPARE(filesIn(catalogues.path()), (QStringList{"office (converted).res", "office.mdb"}));
    }
};

QTEST_MAIN(E2EImport)
#include "e2e_import.moc"
