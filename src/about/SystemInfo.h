#pragma once
// What the About box and the system-information window report about the
// computer. The figures are read from the platform's own files (the /proc
// and /etc files on Linux) through paths a test can point at fixtures; a
// figure the platform does not have stays empty.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

struct SystemSources {
    QString cpuinfo = QStringLiteral("/proc/cpuinfo");
    QString meminfo = QStringLiteral("/proc/meminfo");
    QString osRelease = QStringLiteral("/etc/os-release");
    QString machineInfo = QStringLiteral("/etc/machine-info");
};

struct SystemFacts {
    QString domainName, computerName, userName, company, owner, comment;
    QString cpuName, cpuVendor, cpuFrequency;
    QString productName, productId, versionBuild, servicePack;
    // Bytes; absent when the platform does not say.
    std::optional<uint64_t> freePageFile, freePhysical, freeVirtual;
    std::optional<uint64_t> totalPageFile, totalPhysical, totalVirtual;
};

// Gathers the facts: host, user and kernel from Qt and uname, the rest from
// the files named in sources.
SystemFacts readSystemFacts(const SystemSources &sources = {});

// The three file parsers, exposed for the tests.
void parseCpuInfo(const QByteArray &text, SystemFacts &facts);
void parseMemInfo(const QByteArray &text, SystemFacts &facts);
// KEY=value files with optional quotes (os-release, machine-info).
QString shellVariable(const QByteArray &text, const char *key);

// Total physical memory in bytes: MemTotal of meminfo, else sysinfo(2); 0
// when neither answers. 64 bits: machines have far more than 4 GiB now.
uint64_t totalPhysicalMemory(const SystemSources &sources = {});

// "MEMORY INSTALLED ON THIS COMPUTER : 2097152 Kb" for 2 GiB: kilobytes
// with at most three decimals and no thousands separator.
QString memoryText(uint64_t bytes);
// Just the kilobyte figure of memoryText.
QString kilobytes(uint64_t bytes);

// One line of the report: two blanks, the label padded to 20 characters
// (never cut), ": ", a tab and the value.
QString reportLine(const QString &label, const QString &value);
// The whole report, line by line.
QStringList systemReport(const SystemFacts &facts);
