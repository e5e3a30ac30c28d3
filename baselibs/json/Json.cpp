#include "baselibs/json/Json.h"

#include <array>
#include <atomic>
#include <charconv>
#include <cmath>
#include <cstring>
#include <istream>
#include <iterator>
#include <utility>

namespace json {

namespace {

const char kSource[] = "baselibs/json";

// Deeper nesting than this is refused rather than risking the reader's (and later the writer's) stack.
constexpr int kMaxDepth = 256;

void silentHandler(const char *, int, const char *, bool) {}

std::atomic<AssertionHandler> &assertionHandler()
{
    static std::atomic<AssertionHandler> handler{&silentHandler};
    return handler;
}

const char *isText(detail::Kind kind)
{
    switch (kind) {
    case detail::Kind::Number:
        return "is<Number>()";
    case detail::Kind::String:
        return "is<String>()";
    case detail::Kind::Boolean:
        return "is<Boolean>()";
    case detail::Kind::Null:
        return "is<Null>()";
    case detail::Kind::Array:
        return "is<Array>()";
    case detail::Kind::Object:
        return "is<Object>()";
    case detail::Kind::Invalid:
        break;
    }
    return "is<Invalid>()";
}

std::string hexEscape(unsigned byte)
{
    static const char digits[] = "0123456789abcdef";
    std::string text = "\\u00";
    text += digits[(byte >> 4) & 0xF];
    text += digits[byte & 0xF];
    return text;
}

using EscapeTable = std::array<std::string, 256>;

EscapeTable buildEscapeTable()
{
    EscapeTable table;
    for (unsigned byte = 0; byte < 256; ++byte) {
        switch (byte) {
        case '"':
            table[byte] = "\\\"";
            break;
        case '\\':
            table[byte] = "\\\\";
            break;
        case '/':
            table[byte] = "\\/";
            break;
        case '\b':
            table[byte] = "\\b";
            break;
        case '\f':
            table[byte] = "\\f";
            break;
        case '\n':
            table[byte] = "\\n";
            break;
        case '\r':
            table[byte] = "\\r";
            break;
        case '\t':
            table[byte] = "\\t";
            break;
        default:
            table[byte] = byte < 0x20 ? hexEscape(byte) : std::string(1, static_cast<char>(byte));
        }
    }
    return table;
}

// Built once, on first use; the initialisation of a function-local static is thread-safe.
const EscapeTable &escapeTable()
{
    static const EscapeTable table = buildEscapeTable();
    return table;
}

void appendEscaped(std::string &out, const String &text)
{
    const EscapeTable &table = escapeTable();
    out.reserve(out.size() + 2 * text.size() + 2);
    for (const char c : text)
        out += table[static_cast<unsigned char>(c)];
}

// The last element of every container is followed by a space instead of a comma.
void replaceTrailingComma(std::string &out, size_t start)
{
    if (out.size() - start > 2 && out[out.size() - 2] == ',')
        out[out.size() - 2] = ' ';
}

} // namespace

void assertion(const char *file, int line, const char *expression, bool result)
{
    assertionHandler().load()(file, line, expression, result);
}

AssertionHandler setAssertionHandler(AssertionHandler handler)
{
    return assertionHandler().exchange(handler ? handler : &silentHandler);
}

bool KeyLess::operator()(const String &a, const String &b) const
{
    const size_t common = a.size() < b.size() ? a.size() : b.size();
    const int order = common ? std::memcmp(a.data(), b.data(), common) : 0;
    return order != 0 ? order < 0 : a.size() < b.size();
}

namespace detail {

// An empty payload of the asked kind, handed out when a precondition fails. It is per thread and emptied on
// every hand-out, so a caller writing into it cannot disturb the next one.
void *emptyPayload(Kind kind)
{
    thread_local Number number;
    thread_local String string;
    thread_local Boolean boolean;
    thread_local Null null;
    thread_local Array array;
    thread_local Object object;
    switch (kind) {
    case Kind::Number:
        number = 0;
        return &number;
    case Kind::String:
        string.clear();
        return &string;
    case Kind::Boolean:
        boolean = false;
        return &boolean;
    case Kind::Null:
    case Kind::Invalid:
        return &null;
    case Kind::Array:
        array.clear();
        return &array;
    case Kind::Object:
        object = Object();
        return &object;
    }
    return &null;
}

class Writer
{
public:
    std::string text;

    void write(const Value &value, int depth, const String *name)
    {
        const size_t start = text.size();
        text.append(static_cast<size_t>(depth), '\t');
        if (name) {
            text += '"';
            appendEscaped(text, *name);
            text += "\":";
        }
        switch (value.kind_) {
        case Kind::Number:
            writeNumber(value.number_);
            break;
        case Kind::String:
            text += '"';
            appendEscaped(text, *value.string_);
            text += '"';
            break;
        case Kind::Boolean:
            text += value.boolean_ ? "true" : "false";
            break;
        case Kind::Null:
        case Kind::Invalid:
            text += "null";
            break;
        case Kind::Array:
            writeElements(*value.array_, depth, start);
            return;
        case Kind::Object:
            writeElements(*value.object_, depth, start);
            return;
        }
        text += ",\n";
    }

    // A container written as a document: at depth 0, its last comma turned into a space.
    template <class Container> static std::string document(const Container &container)
    {
        Writer writer;
        writer.writeElements(container, 0, 0);
        replaceTrailingComma(writer.text, 0);
        return std::move(writer.text);
    }

private:
    void writeNumber(Number number)
    {
        // Text such as inf or nan would make the written document unreadable.
        if (!std::isfinite(number)) {
            text += "null";
            return;
        }
        char buffer[64];
        const auto result =
            std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::general, 16);
        text.append(buffer, result.ptr);
    }

    void writeElements(const Array &array, int depth, size_t start)
    {
        text += "[\n";
        for (const Value *element : array.values())
            write(*element, depth + 1, nullptr);
        close(start, depth, ']');
    }

    void writeElements(const Object &object, int depth, size_t start)
    {
        text += "{\n";
        for (const auto &entry : object.kv_map())
            write(*entry.second, depth + 1, &entry.first);
        close(start, depth, '}');
    }

    void close(size_t start, int depth, char bracket)
    {
        replaceTrailingComma(text, start);
        text.append(static_cast<size_t>(depth), '\t');
        text += bracket;
        text += ",\n";
    }
};

// Reads from a byte range. A read that fails leaves the position where that read started, except for
// whitespace and comments skipped in front of it.
class Reader
{
public:
    Reader(const char *data, size_t size) : begin_(data), pos_(data), end_(data + size) {}

    size_t consumed() const { return static_cast<size_t>(pos_ - begin_); }

    bool readValue(Value &out, int depth)
    {
        out.reset();
        String text;
        if (readString(text)) {
            out.kind_ = Kind::String;
            out.string_ = new String(std::move(text));
            return true;
        }
        skipInsignificant();
        if (readNumber(out.number_)) {
            out.kind_ = Kind::Number;
            return true;
        }
        const bool isTrue = matchWord("true");
        if (isTrue || matchWord("false")) {
            out.kind_ = Kind::Boolean;
            out.boolean_ = isTrue;
            return true;
        }
        if (matchWord("null")) {
            out.kind_ = Kind::Null;
            return true;
        }
        if (next() == ',') {
            out.kind_ = Kind::Null;
            return true;
        }
        if (depth >= kMaxDepth)
            return false;
        if (next() == '[') {
            out.kind_ = Kind::Array;
            out.array_ = new Array;
            if (readArray(*out.array_, depth + 1))
                return true;
            out.reset();
        }
        out.kind_ = Kind::Object;
        out.object_ = new Object;
        if (readObject(*out.object_, depth + 1))
            return true;
        out.reset();
        return false;
    }

    bool readArray(Array &out, int depth)
    {
        const char *const start = pos_;
        if (!match('['))
            return false;
        if (match(']'))
            return true;
        do {
            Value *element = new Value;
            if (!readValue(*element, depth)) {
                delete element;
                break;
            }
            out.values_.push_back(element);
        } while (match(','));
        if (match(']'))
            return true;
        pos_ = start;
        return false;
    }

    bool readObject(Object &out, int depth)
    {
        const char *const start = pos_;
        if (!match('{'))
            return false;
        if (match('}'))
            return true;
        do {
            String key;
            if (!readString(key)) {
                if (next() == '}')
                    break;
                pos_ = start;
                return false;
            }
            if (!match(':')) {
                pos_ = start;
                return false;
            }
            Value *value = new Value;
            if (!readValue(*value, depth)) {
                delete value;
                break;
            }
            out.store(key, value);
        } while (match(','));
        if (match('}'))
            return true;
        pos_ = start;
        return false;
    }

private:
    static bool isSpace(char c)
    {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    }
    static int hexDigit(char c)
    {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }

    // Whitespace and // line comments, in any mix.
    void skipInsignificant()
    {
        for (;;) {
            while (pos_ < end_ && isSpace(*pos_))
                ++pos_;
            if (end_ - pos_ < 2 || pos_[0] != '/' || pos_[1] != '/')
                return;
            while (pos_ < end_ && *pos_ != '\n' && *pos_ != '\r')
                ++pos_;
        }
    }

    // The next significant character, or 0 at the end.
    char next()
    {
        skipInsignificant();
        return pos_ < end_ ? *pos_ : '\0';
    }

    bool match(char c)
    {
        if (pos_ < end_ && *pos_ == c) {
            ++pos_;
            return true;
        }
        if (next() != c)
            return false;
        ++pos_;
        return true;
    }

    bool matchWord(const char *word)
    {
        skipInsignificant();
        const size_t length = std::strlen(word);
        if (static_cast<size_t>(end_ - pos_) < length || std::memcmp(pos_, word, length) != 0)
            return false;
        pos_ += length;
        return true;
    }

    // Hexadecimal value of the digits at the start of four characters, or -1 when the first is not one.
    static long hexPrefix(const char *four)
    {
        long code = -1;
        for (int i = 0; i < 4 && hexDigit(four[i]) >= 0; ++i)
            code = (code < 0 ? 0 : code * 16) + hexDigit(four[i]);
        return code;
    }

    static void appendUtf8(String &out, unsigned long code)
    {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    // After "\u": four characters are consumed; a high surrogate followed by an escaped low surrogate
    // makes one character. A surrogate without its partner becomes U+FFFD, so the result stays UTF-8.
    void readUnicodeEscape(String &out)
    {
        if (end_ - pos_ < 4) {
            pos_ = end_;
            return;
        }
        long code = hexPrefix(pos_);
        pos_ += 4;
        if (code < 0)
            return;
        if (code >= 0xD800 && code <= 0xDBFF) {
            const long low = end_ - pos_ >= 6 && pos_[0] == '\\' && pos_[1] == 'u' ? hexPrefix(pos_ + 2) : -1;
            if (low >= 0xDC00 && low <= 0xDFFF) {
                pos_ += 6;
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            } else {
                code = 0xFFFD;
            }
        } else if (code >= 0xDC00 && code <= 0xDFFF) {
            code = 0xFFFD;
        }
        appendUtf8(out, static_cast<unsigned long>(code));
    }

    bool readString(String &out)
    {
        const char quote = next();
        if (quote != '"' && quote != '\'')
            return false;
        const char *const start = pos_;
        ++pos_;
        while (pos_ < end_) {
            const char c = *pos_++;
            if (c == quote)
                return true;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (pos_ == end_)
                break;
            const char escaped = *pos_++;
            switch (escaped) {
            case '/':
            case '\\':
                out += escaped;
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u':
                readUnicodeEscape(out);
                break;
            default:
                if (escaped != quote)
                    out += '\\';
                out += escaped;
            }
        }
        pos_ = start;
        out.clear();
        return false;
    }

    // The classic grammar: optional sign, digits, optional fraction, optional exponent; at least one digit
    // before the exponent, and at least one digit in an exponent that was started.
    bool readNumber(Number &out)
    {
        const char *p = pos_;
        const bool negative = p < end_ && *p == '-';
        if (p < end_ && (*p == '+' || *p == '-'))
            ++p;
        const char *const mantissa = p;
        long long magnitude = 0; // decimal position of the first significant digit
        bool significant = false;
        int digits = 0;
        for (; p < end_ && isDigit(*p); ++p, ++digits) {
            if (significant || *p != '0') {
                significant = true;
                ++magnitude;
            }
        }
        if (p < end_ && *p == '.') {
            for (++p; p < end_ && isDigit(*p); ++p, ++digits) {
                if (!significant && *p == '0')
                    --magnitude;
                else
                    significant = true;
            }
        }
        if (digits == 0)
            return false;
        if (p < end_ && (*p == 'e' || *p == 'E')) {
            const char *q = p + 1;
            bool negativeExponent = false;
            if (q < end_ && (*q == '+' || *q == '-'))
                negativeExponent = *q++ == '-';
            if (q == end_ || !isDigit(*q))
                return false;
            long long exponent = 0;
            for (; q < end_ && isDigit(*q); ++q)
                exponent = exponent < 100000 ? exponent * 10 + (*q - '0') : exponent;
            magnitude += negativeExponent ? -exponent : exponent;
            p = q;
        }
        Number value = 0;
        const auto result = std::from_chars(mantissa, p, value, std::chars_format::general);
        if (result.ptr != p)
            return false;
        if (result.ec == std::errc::result_out_of_range) {
            if (!significant || magnitude > 0)
                return false; // too large for a double
            value = 0;        // too small: zero of its sign
        } else if (result.ec != std::errc()) {
            return false;
        }
        out = negative ? -value : value;
        pos_ = p;
        return true;
    }

    const char *begin_;
    const char *pos_;
    const char *end_;
};

// Reads the rest of a stream, runs read on it and leaves a seekable stream just after what was read.
template <class Read> bool parseStream(std::istream &input, Read read)
{
    if (!input.good())
        return false;
    const std::streampos start = input.tellg();
    const std::string text{std::istreambuf_iterator<char>(input), std::istreambuf_iterator<char>()};
    Reader reader(text.data(), text.size());
    const bool ok = read(reader);
    if (start != std::streampos(-1)) {
        input.clear();
        input.seekg(start + static_cast<std::streamoff>(reader.consumed()));
    }
    return ok;
}

} // namespace detail

// ---- Value

Value::Value() : number_(0) {}

Value::Value(const Value &other) : number_(0)
{
    copyFrom(other);
}

Value::Value(Value &&other) noexcept : number_(0)
{
    takeFrom(other);
}

Value &Value::operator=(const Value &other)
{
    if (this != &other) {
        // Copy first: other may live inside this value's payload.
        Value copy(other);
        *this = std::move(copy);
    }
    return *this;
}

Value &Value::operator=(Value &&other) noexcept
{
    if (this != &other) {
        Value old(std::move(*this)); // released last: other may live inside it
        takeFrom(other);
    }
    return *this;
}

Value::~Value()
{
    reset();
}

Value::Value(const String &text) : kind_(detail::Kind::String), string_(new String(text)) {}
Value::Value(String &&text) : kind_(detail::Kind::String), string_(new String(std::move(text))) {}
Value::Value(const char *text) : kind_(detail::Kind::String), string_(new String(text ? text : "")) {}
Value::Value(Boolean flag) : kind_(detail::Kind::Boolean), number_(0)
{
    boolean_ = flag;
}
Value::Value(int number) : kind_(detail::Kind::Number), number_(number) {}
Value::Value(qint64 number) : kind_(detail::Kind::Number), number_(static_cast<Number>(number)) {}
Value::Value(Number number) : kind_(detail::Kind::Number), number_(number) {}
Value::Value(Null) : kind_(detail::Kind::Null), number_(0) {}
Value::Value(const Array &array) : kind_(detail::Kind::Array), array_(new Array(array)) {}
Value::Value(const Object &object) : kind_(detail::Kind::Object), object_(new Object(object)) {}

void Value::reset()
{
    switch (kind_) {
    case detail::Kind::String:
        delete string_;
        break;
    case detail::Kind::Array:
        delete array_;
        break;
    case detail::Kind::Object:
        delete object_;
        break;
    default:
        break;
    }
    kind_ = detail::Kind::Invalid;
    number_ = 0;
}

void Value::takeFrom(Value &other)
{
    switch (other.kind_) {
    case detail::Kind::Number:
        number_ = other.number_;
        break;
    case detail::Kind::String:
        string_ = other.string_;
        break;
    case detail::Kind::Boolean:
        boolean_ = other.boolean_;
        break;
    case detail::Kind::Array:
        array_ = other.array_;
        break;
    case detail::Kind::Object:
        object_ = other.object_;
        break;
    case detail::Kind::Null:
    case detail::Kind::Invalid:
        break;
    }
    kind_ = other.kind_;
    other.kind_ = detail::Kind::Invalid;
    other.number_ = 0;
}

void Value::copyFrom(const Value &other)
{
    switch (other.kind_) {
    case detail::Kind::Number:
        number_ = other.number_;
        break;
    case detail::Kind::String:
        string_ = new String(*other.string_);
        break;
    case detail::Kind::Boolean:
        boolean_ = other.boolean_;
        break;
    case detail::Kind::Array:
        array_ = new Array(*other.array_);
        break;
    case detail::Kind::Object:
        object_ = new Object(*other.object_);
        break;
    case detail::Kind::Null:
    case detail::Kind::Invalid:
        break;
    }
    kind_ = other.kind_;
}

void *Value::checkedPayload(detail::Kind kind)
{
    const bool ok = kind_ == kind;
    assertion(kSource, __LINE__, isText(kind), ok);
    if (!ok)
        return detail::emptyPayload(kind);
    switch (kind) {
    case detail::Kind::Number:
        return &number_;
    case detail::Kind::String:
        return string_;
    case detail::Kind::Boolean:
        return &boolean_;
    case detail::Kind::Array:
        return array_;
    case detail::Kind::Object:
        return object_;
    default:
        return detail::emptyPayload(kind);
    }
}

bool Value::parse(std::istream &input)
{
    return detail::parseStream(input, [this](detail::Reader &reader) { return reader.readValue(*this, 0); });
}

bool Value::parse(const std::string &text)
{
    detail::Reader reader(text.data(), text.size());
    return reader.readValue(*this, 0);
}

std::string Value::json() const
{
    detail::Writer writer;
    writer.write(*this, 0, nullptr);
    replaceTrailingComma(writer.text, 0);
    return std::move(writer.text);
}

// ---- Array

Array::Array() = default;

Array::Array(const Array &other)
{
    import(other);
}

Array::Array(Array &&other) noexcept
{
    values_.swap(other.values_);
}

Array &Array::operator=(const Array &other)
{
    if (this != &other) {
        Array copy(other);
        values_.swap(copy.values_);
    }
    return *this;
}

Array &Array::operator=(Array &&other) noexcept
{
    if (this != &other) {
        Array old(std::move(*this));
        values_.swap(other.values_);
    }
    return *this;
}

Array::~Array()
{
    clear();
}

void Array::clear()
{
    std::vector<Value *> old;
    old.swap(values_);
    for (Value *value : old)
        delete value;
}

void *Array::checkedPayload(size_t i, detail::Kind kind)
{
    const bool inRange = i < values_.size();
    assertion(kSource, __LINE__, "i < size()", inRange);
    if (!inRange) {
        assertion(kSource, __LINE__, isText(kind), false);
        return detail::emptyPayload(kind);
    }
    return values_[i]->checkedPayload(kind);
}

Array &Array::operator<<(const Value &value)
{
    values_.push_back(new Value(value));
    return *this;
}

void Array::import(const Array &other)
{
    // Counted first, so that importing an array into itself appends each element once.
    const size_t count = other.values_.size();
    values_.reserve(values_.size() + count);
    for (size_t i = 0; i < count; ++i)
        values_.push_back(new Value(*other.values_[i]));
}

bool Array::parse(std::istream &input)
{
    clear();
    return detail::parseStream(input, [this](detail::Reader &reader) { return reader.readArray(*this, 0); });
}

bool Array::parse(const std::string &text)
{
    clear();
    detail::Reader reader(text.data(), text.size());
    return reader.readArray(*this, 0);
}

std::string Array::json() const
{
    return detail::Writer::document(*this);
}

// ---- Object

Object::Object() = default;

Object::Object(const Object &other)
{
    for (const auto &entry : other.values_)
        values_.emplace_hint(values_.end(), entry.first, new Value(*entry.second));
}

Object::Object(Object &&other) noexcept
{
    values_.swap(other.values_);
    pendingKey_.swap(other.pendingKey_);
}

Object &Object::operator=(const Object &other)
{
    pendingKey_.reset();
    if (this != &other) {
        Object copy(other);
        values_.swap(copy.values_);
    }
    return *this;
}

Object &Object::operator=(Object &&other) noexcept
{
    pendingKey_.reset();
    if (this != &other) {
        Object old(std::move(*this));
        values_.swap(other.values_);
        other.pendingKey_.reset();
    }
    return *this;
}

Object::~Object()
{
    clear();
}

void Object::clear()
{
    Map old;
    old.swap(values_);
    for (auto &entry : old)
        delete entry.second;
    pendingKey_.reset();
}

bool Object::parse(std::istream &input)
{
    clear();
    return detail::parseStream(input, [this](detail::Reader &reader) { return reader.readObject(*this, 0); });
}

bool Object::parse(const std::string &text)
{
    clear();
    detail::Reader reader(text.data(), text.size());
    return reader.readObject(*this, 0);
}

void *Object::checkedPayload(const String &key, detail::Kind kind)
{
    const auto it = values_.find(key);
    const bool present = it != values_.end() && it->second->kind_ == kind;
    assertion(kSource, __LINE__, "has<T>(key)", present);
    if (!present) {
        assertion(kSource, __LINE__, isText(kind), false);
        return detail::emptyPayload(kind);
    }
    return it->second->checkedPayload(kind);
}

void Object::store(const String &key, Value *value)
{
    const auto it = values_.find(key);
    if (it == values_.end()) {
        values_.emplace(key, value);
        return;
    }
    Value *old = it->second;
    it->second = value;
    delete old;
}

Object &Object::operator<<(const Value &value)
{
    if (pendingKey_) {
        const String key = std::move(*pendingKey_);
        pendingKey_.reset();
        store(key, new Value(value));
        return *this;
    }
    const bool isKey = value.is<String>();
    assertion(kSource, __LINE__, "is<String>()", isKey);
    if (isKey)
        pendingKey_ = *value.string_;
    return *this;
}

void Object::import(const String &key, const Value &value)
{
    pendingKey_.reset();
    store(key, new Value(value));
}

void Object::import(const Object &other)
{
    pendingKey_.reset();
    if (this == &other)
        return;
    for (const auto &entry : other.values_)
        store(entry.first, new Value(*entry.second));
}

bool Object::erase(const String &key)
{
    const auto it = values_.find(key);
    if (it == values_.end())
        return false;
    Value *old = it->second;
    values_.erase(it);
    delete old;
    return true;
}

std::string Object::json() const
{
    return detail::Writer::document(*this);
}

} // namespace json
