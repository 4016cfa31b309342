#pragma once

#include "print/printer_device.h"

#include <map>

// A print system for tests: the queues a test lists, with their sources and
// media; it counts how often each list is asked for and keeps what was submitted.
struct FakePrinters {
    std::vector<qorvel::print::cups::Destination> queues;
    std::map<QString, QStringList> sources;
    std::map<QString, std::vector<qorvel::print::cups::Media>> media;
    int destinationCalls = 0, sourceCalls = 0;
    QString submitFailure;
    struct Submitted {
        QString printer, title;
        QByteArray pdf;
        std::map<QString, QString> options;
    };
    std::vector<Submitted> submitted;

    // Installs this as the print system (and starts a fresh printer device).
    void install();
    // Two queues: "Office" (the default, Letter and A4, three sources) and "Labels".
    static FakePrinters office();
};

// Restores the real print system when a test ends.
struct RealPrintersAfterTest {
    ~RealPrintersAfterTest() { qorvel::print::PrinterDevice::setBackend({}); }
};
