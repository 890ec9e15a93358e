#pragma once

#include "import/Conversion.h"

#include <functional>

class QWidget;

// A conversion's work: reads and writes off the window's thread, reports
// progress, and stops soon after cancelled is set. Everything it makes lives
// and dies on that thread.
using ConversionWork =
    std::function<ConversionResult(const std::atomic<bool> &cancelled, const ConversionProgress &progress)>;

// Runs the work on a thread of its own while a progress dialog (records read
// of about how many, with Cancel) stands in front; the program's windows keep
// working. Returns when the work has ended.
ConversionResult runWithProgress(const ConversionWork &work, QWidget *parent = nullptr);
