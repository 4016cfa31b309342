#include "cups_printers.h"

#include <cups/cups.h>

namespace qorvel::print::cups {

namespace {

// Every call gets its own destination list and frees it.
struct Dests {
    cups_dest_t* list = nullptr;
    int count = 0;
    Dests() { count = cupsGetDests2(CUPS_HTTP_DEFAULT, &list); }
    ~Dests() { cupsFreeDests(count, list); }
    cups_dest_t* find(const QString& name) const {
        return cupsGetDest(name.toUtf8().constData(), nullptr, count, list);
    }
};

template <typename Fn>
void withInfo(const QString& printer, Fn fn) {
    Dests dests;
    cups_dest_t* dest = dests.find(printer);
    if (!dest)
        return;
    // Queues of the local server answer through it; others need their own connection.
    if (cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest)) {
        fn(CUPS_HTTP_DEFAULT, dest, info);
        cupsFreeDestInfo(info);
        return;
    }
    http_t* http = cupsConnectDest(dest, CUPS_DEST_FLAGS_NONE, 3000, nullptr, nullptr, 0, nullptr, nullptr);
    if (!http)
        return;
    if (cups_dinfo_t* info = cupsCopyDestInfo(http, dest)) {
        fn(http, dest, info);
        cupsFreeDestInfo(info);
    }
    httpClose(http);
}

double hundredthsOfMm(int v) { return v / 2540.0; }

}  // namespace

std::vector<Destination> destinations() {
    std::vector<Destination> out;
    Dests dests;
    for (int i = 0; i < dests.count; ++i) {
        const cups_dest_t& d = dests.list[i];
        if (d.instance)
            continue;
        Destination x;
        x.name = QString::fromUtf8(d.name);
        x.isDefault = d.is_default != 0;
        if (const char* uri = cupsGetOption("device-uri", d.num_options, d.options))
            x.deviceUri = QString::fromUtf8(uri);
        if (const char* model = cupsGetOption("printer-make-and-model", d.num_options, d.options))
            x.makeAndModel = QString::fromUtf8(model);
        out.push_back(x);
    }
    return out;
}

QStringList mediaSources(const QString& printer) {
    QStringList out;
    withInfo(printer, [&](http_t* http, cups_dest_t* dest, cups_dinfo_t* info) {
        ipp_attribute_t* a = cupsFindDestSupported(http, dest, info, CUPS_MEDIA_SOURCE);
        for (int i = 0; a && i < ippGetCount(a); ++i)
            out << QString::fromUtf8(ippGetString(a, i, nullptr));
    });
    return out;
}

std::vector<Media> mediaSizes(const QString& printer) {
    std::vector<Media> out;
    withInfo(printer, [&](http_t* http, cups_dest_t* dest, cups_dinfo_t* info) {
        const int n = cupsGetDestMediaCount(http, dest, info, CUPS_MEDIA_FLAGS_DEFAULT);
        for (int i = 0; i < n; ++i) {
            cups_size_t s;
            if (!cupsGetDestMediaByIndex(http, dest, info, i, CUPS_MEDIA_FLAGS_DEFAULT, &s))
                continue;
            out.push_back(Media{QString::fromUtf8(s.media), hundredthsOfMm(s.width), hundredthsOfMm(s.length),
                                hundredthsOfMm(s.left), hundredthsOfMm(s.right), hundredthsOfMm(s.top),
                                hundredthsOfMm(s.bottom)});
        }
    });
    return out;
}

QString submitPdf(const QString& printer, const QString& pdfPath, const QString& title,
                  const std::map<QString, QString>& options) {
    cups_option_t* opts = nullptr;
    int n = 0;
    for (const auto& [k, v] : options)
        n = cupsAddOption(k.toUtf8().constData(), v.toUtf8().constData(), n, &opts);
    const int job = cupsPrintFile(printer.toUtf8().constData(), pdfPath.toUtf8().constData(),
                                  title.left(31).toUtf8().constData(), n, opts);
    cupsFreeOptions(n, opts);
    if (job == 0)
        return QString::fromUtf8(cupsLastErrorString());
    return {};
}

}  // namespace qorvel::print::cups
