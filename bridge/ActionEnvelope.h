#pragma once

#include "baselibs/json/Json.h"

#include <QString>

// The action envelope a page sends through the bridge: {"action": name, "data": parameters}.
//
// Reading never fails: an "action" that is missing or not a string reads as "", a "data" member that is
// not an object counts as absent, and a field that is missing reads as an empty text (or 0 as a number).
class ActionEnvelope
{
public:
    // Parses text as a JSON object. isValid() is false when it is not one.
    static ActionEnvelope parse(const QString &text);

    bool isValid() const { return m_valid; }
    QString action() const { return m_action; }
    // True when "data" is a JSON object.
    bool hasData() const { return m_hasData; }

    // True when "data" holds key with a string value.
    bool hasText(const char *key) const;
    // The field as text: a string as it is, a number in decimal (integers without a fraction), otherwise
    // "" (missing, null, boolean, array or object).
    QString text(const char *key) const;
    // The field as an integer, truncated toward zero: a JSON number, or a string holding a number;
    // otherwise 0.
    int number(const char *key) const;

    // The "data" object (empty when absent).
    const json::Object &data() const { return m_data; }

private:
    bool m_valid = false;
    bool m_hasData = false;
    QString m_action;
    json::Object m_data;
};
