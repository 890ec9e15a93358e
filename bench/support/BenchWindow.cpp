#include "BenchWindow.h"

#include "BenchSupport.h"

#include "desktop/MsgBox.h"
#include "forms/record/Form1.h"
#include "forms/tray/FrmMenu.h"
#include "startup/StartUp.h"
#include "widgets/Forms.h"

#include <cstdio>

Form1 *startUnlockedOnCopy(const QString &folder, qint64 records, QString *copy)
{
    const QString path = BenchSupport::useCatalogueCopy(folder, records);
    if (copy)
        *copy = path;
    Forms::setOnAllUnloaded(nullptr);
    MsgBoxSeam::setHandler([](const Message &m) { std::fprintf(stderr, "message: %s\n", qPrintable(m.text)); });
    std::printf("%lld records\n", records);
    if (!StartUp::EntryRoutine())
        return nullptr;
    Forms::Get<FrmMenu>()->MnuUnlock_Click();
    return Forms::Loaded<Form1>();
}
