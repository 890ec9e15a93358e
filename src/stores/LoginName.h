#pragma once

#include <QString>

// Who is at the desktop, as the history of a record names them: the login
// name of the session's user.
QString loginName();
