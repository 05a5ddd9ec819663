// Feeds arbitrary bytes to the readers of the system-information window, as
// /proc/cpuinfo, /proc/meminfo, /etc/os-release and /etc/machine-info, and
// builds the report from what they found. Besides crashes it watches the
// memory sums: a figure may be absent, never wrapped around.

#include "about/SystemInfo.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace {

void check(bool holds) {
    if (!holds)
        __builtin_trap();
}

// The sum of two figures is at least each of them.
void checkSum(const std::optional<uint64_t> &sum, const std::optional<uint64_t> &a,
              const std::optional<uint64_t> &b) {
    if (!sum)
        return;
    check(a && b && *sum >= *a && *sum >= *b);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray text =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    SystemFacts facts;
    parseCpuInfo(text, facts);
    parseMemInfo(text, facts);
    facts.productName = shellVariable(text, "PRETTY_NAME");
    facts.productId = shellVariable(text, "ID");
    facts.comment = shellVariable(text, "PRETTY_HOSTNAME");
    checkSum(facts.totalVirtual, facts.totalPhysical, facts.totalPageFile);
    checkSum(facts.freeVirtual, facts.freePhysical, facts.freePageFile);
    // A figure shown in the report is a whole number of bytes.
    for (const auto &figure : {facts.totalPhysical, facts.freePhysical, facts.totalPageFile,
                               facts.freePageFile, facts.totalVirtual, facts.freeVirtual})
        if (figure)
            check(!kilobytes(*figure).isEmpty());
    for (const QString &line : systemReport(facts))
        (void)line.size();
    return 0;
}
