#pragma once

#include <QString>

// Number and size texts of the status notices and of the store's lists. Every function gives a text for
// any input, zero and negative counts included.
namespace tasks {

// Percentage of done in total with two decimals ("45.23"); "0.00" when either is zero or negative,
// "100.00" once done reaches total.
QString formatPercent(qint64 total, qint64 done);

// The same from decimal texts (an unparsable text counts as 0), computed in double precision.
QString formatPercentText(const QString &total, const QString &done);

// Size with unit and no space: "1024Byte", "513KB", "12.5MB", "1.50GB". The limits are exclusive.
QString formatSize(qint64 bytes);

// formatSize(done) + "/" + formatSize(total).
QString formatSizeRate(qint64 total, qint64 done);

// Megabytes per second with two decimals. A negative byte count counts as 0, and so does a zero
// duration (the first progress event), so the text is always a number.
QString formatSpeed(qint64 bytes, uint seconds);

} // namespace tasks
