#pragma once

#include <QString>
#include <QTemporaryDir>

// The Debian package the build made (see tests/CMakeLists.txt), unpacked into
// a throwaway root as dpkg would install it.
class PackageRoot
{
public:
    // The package file: the one .deb in $MORVO_PACKAGE_DIR.
    static QString package();
    // Unpacks the package; false (with the tool's words on stderr) on failure.
    bool unpack();
    QString root() const { return dir_.path(); }
    // A path of the installed system, inside the root: "/usr/bin/morvo" → <root>/usr/bin/morvo.
    QString path(const QString &installed) const { return dir_.path() + installed; }

private:
    QTemporaryDir dir_;
};
