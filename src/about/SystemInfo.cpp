#include "SystemInfo.h"

#include "lang/Strings.h"

#include <QFile>
#include <QHostInfo>
#include <QLocale>
#include <QSysInfo>

#ifdef Q_OS_LINUX
#include <pwd.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <unistd.h>
#endif

namespace {

QByteArray readSmallFile(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    // The files read here are a few kilobytes; a fixture or an odd /proc
    // cannot make the report hold more than this.
    return f.read(1 << 20);
}

QString bytesText(const std::optional<uint64_t> &v) {
    return v ? QString::number(*v) : QString();
}

} // namespace

void parseCpuInfo(const QByteArray &text, SystemFacts &facts) {
    // Only the first processor's block matters: they describe the same chip.
    for (const QByteArray &raw : text.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty()) {
            if (!facts.cpuName.isEmpty() || !facts.cpuVendor.isEmpty())
                break;
            continue;
        }
        const int colon = line.indexOf(':');
        if (colon < 0)
            continue;
        const QByteArray key = line.left(colon).trimmed();
        const QString value = QString::fromUtf8(line.mid(colon + 1)).trimmed();
        if (key == "model name" && facts.cpuName.isEmpty())
            facts.cpuName = value;
        else if (key == "vendor_id" && facts.cpuVendor.isEmpty())
            facts.cpuVendor = value;
        else if (key == "cpu MHz" && facts.cpuFrequency.isEmpty()) {
            bool ok = false;
            const double mhz = value.toDouble(&ok);
            if (ok && mhz >= 0 && mhz < 1e7)
                facts.cpuFrequency = QString::number(qRound64(mhz));
        }
    }
}

void parseMemInfo(const QByteArray &text, SystemFacts &facts) {
    std::optional<uint64_t> memTotal, memFree, memAvailable, swapTotal, swapFree;
    for (const QByteArray &raw : text.split('\n')) {
        const int colon = raw.indexOf(':');
        if (colon < 0)
            continue;
        const QByteArray key = raw.left(colon).trimmed();
        QList<QByteArray> parts = raw.mid(colon + 1).simplified().split(' ');
        bool ok = false;
        const qulonglong n = parts.value(0).toULongLong(&ok);
        // Figures are in kB. 2^52 kB (4 EiB) is beyond any real machine; below
        // it neither a byte count nor the sum of two (virtual memory) can
        // overflow 64 bits.
        if (!ok || n >= (uint64_t(1) << 52))
            continue;
        const uint64_t bytes = parts.value(1) == "kB" ? n * 1024 : n;
        if (key == "MemTotal")
            memTotal = bytes;
        else if (key == "MemFree")
            memFree = bytes;
        else if (key == "MemAvailable")
            memAvailable = bytes;
        else if (key == "SwapTotal")
            swapTotal = bytes;
        else if (key == "SwapFree")
            swapFree = bytes;
    }
    // Swap plays the part of the page file; virtual memory is what physical
    // memory and swap give together.
    facts.totalPhysical = memTotal;
    facts.freePhysical = memAvailable ? memAvailable : memFree;
    facts.totalPageFile = swapTotal;
    facts.freePageFile = swapFree;
    if (facts.totalPhysical && facts.totalPageFile)
        facts.totalVirtual = *facts.totalPhysical + *facts.totalPageFile;
    if (facts.freePhysical && facts.freePageFile)
        facts.freeVirtual = *facts.freePhysical + *facts.freePageFile;
}

QString shellVariable(const QByteArray &text, const char *key) {
    const QByteArray prefix = QByteArray(key) + '=';
    for (const QByteArray &raw : text.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (!line.startsWith(prefix))
            continue;
        QByteArray v = line.mid(prefix.size());
        if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
            v = v.mid(1, v.size() - 2);
        return QString::fromUtf8(v);
    }
    return {};
}

SystemFacts readSystemFacts(const SystemSources &sources) {
    SystemFacts f;
    f.domainName = QHostInfo::localDomainName();
    f.computerName = QSysInfo::machineHostName();
    f.userName = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
#ifdef Q_OS_LINUX
    // Services and desktop launchers do not always set USER.
    if (f.userName.isEmpty()) {
        if (const passwd *pw = getpwuid(getuid()))
            f.userName = QString::fromLocal8Bit(pw->pw_name);
    }
#endif
    // Nothing on this platform records a registered company or owner.
    f.comment = shellVariable(readSmallFile(sources.machineInfo), "PRETTY_HOSTNAME");
    parseCpuInfo(readSmallFile(sources.cpuinfo), f);
    const QByteArray os = readSmallFile(sources.osRelease);
    f.productName = shellVariable(os, "PRETTY_NAME");
    if (f.productName.isEmpty())
        f.productName = QSysInfo::prettyProductName();
    f.productId = shellVariable(os, "ID");
#ifdef Q_OS_LINUX
    // The kernel's release is this system's build; its version text (build
    // count, date) stands where a service pack would.
    utsname u{};
    if (uname(&u) == 0) {
        f.versionBuild = QString::fromLocal8Bit(u.release);
        f.servicePack = QString::fromLocal8Bit(u.version);
    }
#else
    f.versionBuild = QSysInfo::kernelVersion();
#endif
    parseMemInfo(readSmallFile(sources.meminfo), f);
#ifdef Q_OS_LINUX
    if (!f.totalPhysical) {
        struct sysinfo si {};
        if (sysinfo(&si) == 0) {
            const uint64_t unit = si.mem_unit ? si.mem_unit : 1;
            f.totalPhysical = uint64_t(si.totalram) * unit;
            f.freePhysical = uint64_t(si.freeram) * unit;
            f.totalPageFile = uint64_t(si.totalswap) * unit;
            f.freePageFile = uint64_t(si.freeswap) * unit;
            f.totalVirtual = *f.totalPhysical + *f.totalPageFile;
            f.freeVirtual = *f.freePhysical + *f.freePageFile;
        }
    }
#endif
    return f;
}

uint64_t totalPhysicalMemory(const SystemSources &sources) {
    SystemFacts f;
    parseMemInfo(readSmallFile(sources.meminfo), f);
    if (f.totalPhysical)
        return *f.totalPhysical;
#ifdef Q_OS_LINUX
    struct sysinfo si {};
    if (sysinfo(&si) == 0)
        return uint64_t(si.totalram) * (si.mem_unit ? si.mem_unit : 1);
#endif
    return 0;
}

QString kilobytes(uint64_t bytes) {
    // Whole kilobytes and thousandths in integers: a double would do too,
    // but integers keep every digit of a huge figure exact.
    uint64_t whole = bytes / 1024;
    uint64_t thousandths = ((bytes % 1024) * 1000 + 512) / 1024;
    if (thousandths == 1000) {
        ++whole;
        thousandths = 0;
    }
    QString text = QString::number(whole);
    if (thousandths != 0) {
        QString frac = QStringLiteral("%1").arg(thousandths, 3, 10, QLatin1Char('0'));
        while (frac.endsWith(QLatin1Char('0')))
            frac.chop(1);
        text += QLocale::system().decimalPoint() + frac;
    }
    return text;
}

QString memoryText(uint64_t bytes) {
    return LcfLoadString(Str::MemoryInstalled) + QLatin1Char(' ') + kilobytes(bytes) +
           LcfLoadString(Str::KilobyteSuffix);
}

QString reportLine(const QString &label, const QString &value) {
    return QStringLiteral("  ") + label.leftJustified(20, QLatin1Char(' ')) + QStringLiteral(": \t") + value;
}

QStringList systemReport(const SystemFacts &f) {
    auto line = [](int id, const QString &value) { return reportLine(LcfLoadString(id), value); };
    return {
        LcfLoadString(Str::SysInfoComputerUser),
        line(Str::SysInfoDomainName, f.domainName),
        line(Str::SysInfoComputerName, f.computerName),
        line(Str::SysInfoUserName, f.userName),
        line(Str::SysInfoCompany, f.company),
        line(Str::SysInfoOwner, f.owner),
        line(Str::SysInfoComment, f.comment),
        QString(),
        LcfLoadString(Str::SysInfoCpu),
        line(Str::SysInfoCpuName, f.cpuName.trimmed()),
        line(Str::SysInfoCpuVendor, f.cpuVendor),
        line(Str::SysInfoCpuFrequency, f.cpuFrequency),
        QString(),
        LcfLoadString(Str::SysInfoOs),
        line(Str::SysInfoProductName, f.productName),
        line(Str::SysInfoProductId, f.productId),
        line(Str::SysInfoVersionBuild, f.versionBuild),
        line(Str::SysInfoServicePack, f.servicePack),
        QString(),
        LcfLoadString(Str::SysInfoMemory),
        line(Str::SysInfoFreePageFile, bytesText(f.freePageFile)),
        line(Str::SysInfoFreePhysical, bytesText(f.freePhysical)),
        line(Str::SysInfoFreeVirtual, bytesText(f.freeVirtual)),
        line(Str::SysInfoTotalPageFile, bytesText(f.totalPageFile)),
        line(Str::SysInfoTotalPhysical, bytesText(f.totalPhysical)),
        line(Str::SysInfoTotalVirtual, bytesText(f.totalVirtual)),
    };
}
