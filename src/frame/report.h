// The error report that opens every error message, and the message printer built on it.
#pragma once

#include "frame/host_services.h"
#include "sys/sys.h"

// Writes "Korvanite plugin: " and, inside a batch file, "NAME [LINE]  " to standard error.
int ReportError();

// The complete error message: the report, then the message through the host's Qprintf on
// standard error. Arguments pass through as to printf (%s takes UTF-16 text).
template <typename... Args>
void ReportMessage(const char16_t* format, Args... args) {
    ReportError();
    Qprintf(sys::StdHandle(sys::StdStream::Error), AsHost(format), args...);
}
