#include "stores/LoginName.h"

#include <pwd.h>
#include <unistd.h>

QString loginName()
{
    // The password database first: $USER is whatever the environment says.
    if (const passwd *entry = ::getpwuid(::getuid()); entry && entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
    return qEnvironmentVariable("USER");
}
