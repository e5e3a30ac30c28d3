#include "bridge/ActionEnvelope.h"

#include "baselibs/json/QtJson.h"

#include <cmath>
#include <limits>

namespace {

int truncatedInt(double value)
{
    if (!std::isfinite(value))
        return 0;
    const double truncated = std::trunc(value);
    if (truncated >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (truncated <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(truncated);
}

} // namespace

ActionEnvelope ActionEnvelope::parse(const QString &text)
{
    ActionEnvelope envelope;
    json::Object root;
    if (!root.parse(json::fromQString(text)))
        return envelope;
    envelope.m_valid = true;
    if (root.has<json::String>("action"))
        envelope.m_action = json::toQString(root.get<json::String>("action"));
    if (root.has<json::Object>("data")) {
        envelope.m_hasData = true;
        envelope.m_data = root.get<json::Object>("data");
    }
    return envelope;
}

bool ActionEnvelope::hasText(const char *key) const
{
    return m_data.has<json::String>(key);
}

QString ActionEnvelope::text(const char *key) const
{
    if (m_data.has<json::String>(key))
        return json::toQString(m_data.get<json::String>(key));
    if (m_data.has<json::Number>(key)) {
        const double value = m_data.get<json::Number>(key);
        if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 9.0e15)
            return QString::number(static_cast<qint64>(value));
        return QString::number(value, 'g', 17);
    }
    return QString();
}

int ActionEnvelope::number(const char *key) const
{
    if (m_data.has<json::Number>(key))
        return truncatedInt(m_data.get<json::Number>(key));
    if (m_data.has<json::String>(key)) {
        bool ok = false;
        const double value = json::toQString(m_data.get<json::String>(key)).trimmed().toDouble(&ok);
        return ok ? truncatedInt(value) : 0;
    }
    return 0;
}
