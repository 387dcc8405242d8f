// What the Qt benchmarks share: the clock, medians and callgrind's totals.
#pragma once

#include <QFile>
#include <QString>
#include <algorithm>
#include <chrono>
#include <vector>

namespace brindlecot::bench {

inline long long NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

inline double Median(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// The instruction total of a callgrind output file; 0 when there is none.
inline double CallgrindTotal(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    while (!f.atEnd()) {
        const QByteArray line = f.readLine().trimmed();
        if (line.startsWith("summary:") || line.startsWith("totals:"))
            return line.mid(line.indexOf(':') + 1).trimmed().toDouble();
    }
    return 0;
}

}  // namespace brindlecot::bench
