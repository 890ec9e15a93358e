#include "import/JetVerdict.h"

#include "import/CatalogueFile.h"

#include <QDir>

namespace {
QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}
}

QString damagedCatalogueMessage(const QString &path, const QString &reason)
{
    const QString text = QStringLiteral("The catalogue \"%1\" is damaged and cannot be read").arg(shown(path));
    return reason.isEmpty() ? text + u'.' : text + QStringLiteral(" (%1).").arg(reason);
}

JetVerdict judgeJetFile(const QString &path, const CatalogueFile &file)
{
    const JetHeader &jet = file.jet;
    const auto refused = [](const QString &text) { return JetVerdict{false, text}; };
    if (jet.engine == JetHeader::Workgroup)
        return refused(QStringLiteral("The file \"%1\" is a workgroup information file of Microsoft Access (user and "
                                      "group accounts), not a catalogue.")
                           .arg(shown(path)));
    if (jet.engine == JetHeader::Ace)
        return refused(QStringLiteral("The file \"%1\" is a database of Microsoft Access 2007 or later (.accdb)%2, not "
                                      "a catalogue of the Windows version of Morvo II, which used Access 97 to 2003 "
                                      "files.")
                           .arg(shown(path), jet.databaseKey ? QStringLiteral(", encrypted,") : QString()));
    if (jet.version > 1)
        return refused(damagedCatalogueMessage(path, QStringLiteral("Unknown Jet version: %1").arg(jet.version)));
    if (!jet.complete || file.size % jet.pageSize() != 0)
        return refused(damagedCatalogueMessage(path, QStringLiteral("the file ends in the middle of a page")));
    if (jet.databaseKey)
        return refused(QStringLiteral("The catalogue \"%1\" is an encrypted Microsoft Access database. This program "
                                      "cannot read encrypted catalogues; remove the encryption with Microsoft Access "
                                      "first.")
                           .arg(shown(path)));
    if (!jet.password.isEmpty() && jet.password != QLatin1String(WindowsCataloguePassword))
        return refused(QStringLiteral("The catalogue \"%1\" is protected by a password that this program does not "
                                      "know, so it cannot be opened (the Windows version of Morvo II would have "
                                      "refused it too).")
                           .arg(shown(path)));
    return {true, QString()};
}
