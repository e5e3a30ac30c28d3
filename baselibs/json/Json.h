#pragma once

// A small document-style JSON library: permissive reader (line comments, single quotes, trailing commas,
// empty slots), tab-indented writer with object keys in byte order. Text is handled as byte strings; the
// rest of the launcher fills them with UTF-8.
//
// Numbers are read with the classic ("C") grammar whatever the process locale: optional sign, digits,
// optional fraction, optional exponent. A number too large for a double is refused (the document does not
// parse), because no value would stand for it faithfully; a number too small for a double reads as zero of
// its sign. Numbers that are not finite are written as null so that written text always reads back.
// Containers nested deeper than 256 levels are refused, so hostile text cannot exhaust the stack.

#include <QtGlobal>

#include <cstddef>
#include <iosfwd>
#include <map>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace json {

using Number = double;
using String = std::string;
using Boolean = bool;
struct Null
{
};

class Value;
class Array;
class Object;

// Every precondition of the typed accessors reports here with the source name "baselibs/json", the line,
// the expression text and its result. The default handler does nothing.
void assertion(const char *file, int line, const char *expression, bool result);

using AssertionHandler = void (*)(const char *file, int line, const char *expression, bool result);
// Installs the handler assertion() forwards to (nullptr restores the silent default); returns the previous
// one. Meant for tests and diagnostics.
AssertionHandler setAssertionHandler(AssertionHandler handler);

// Keys compare as unsigned bytes; on a common prefix the shorter key sorts first.
struct KeyLess
{
    bool operator()(const String &a, const String &b) const;
};

namespace detail {
enum class Kind
{
    Number,
    String,
    Boolean,
    Null,
    Array,
    Object,
    Invalid
};
template <class T> struct KindOf;
template <> struct KindOf<Number>
{
    static constexpr Kind value = Kind::Number;
};
template <> struct KindOf<String>
{
    static constexpr Kind value = Kind::String;
};
template <> struct KindOf<Boolean>
{
    static constexpr Kind value = Kind::Boolean;
};
template <> struct KindOf<Null>
{
    static constexpr Kind value = Kind::Null;
};
template <> struct KindOf<Array>
{
    static constexpr Kind value = Kind::Array;
};
template <> struct KindOf<Object>
{
    static constexpr Kind value = Kind::Object;
};

class Writer;
class Reader;
} // namespace detail

class Value
{
public:
    Value();
    Value(const Value &other);
    Value(Value &&other) noexcept;
    Value &operator=(const Value &other);
    Value &operator=(Value &&other) noexcept;
    ~Value();

    Value(const String &text);
    Value(String &&text);
    Value(const char *text);
    Value(Boolean flag);
    Value(int number);
    Value(qint64 number);
    Value(Number number);
    // Every other integer type (unsigned, long, size_t, ...) becomes a Number too.
    template <class I, std::enable_if_t<std::is_integral_v<I> && !std::is_same_v<I, bool> &&
                                            !std::is_same_v<I, int> && !std::is_same_v<I, qint64>,
                                        int> = 0>
    Value(I number) : Value(static_cast<Number>(number))
    {}
    Value(Null);
    Value(const Array &array);
    Value(const Object &object);

    // T is one of Number, String, Boolean, Null, Array, Object. A fresh value or one whose parse failed is
    // of none of these kinds (invalid).
    template <class T> bool is() const { return kind_ == detail::KindOf<T>::value; }
    bool isValid() const { return kind_ != detail::Kind::Invalid; }

    // Precondition is<T>(), reported to the assertion hook; when it fails, an empty payload is returned.
    template <class T> T &get() { return *static_cast<T *>(checkedPayload(detail::KindOf<T>::value)); }
    template <class T> const T &get() const
    {
        return *static_cast<const T *>(const_cast<Value *>(this)->checkedPayload(detail::KindOf<T>::value));
    }

    // Reads one value of any kind; on failure the value is invalid and false is returned.
    bool parse(std::istream &input);
    bool parse(const std::string &text);

    // The text of the value written as a lone element: "5 \n", "\"a\" \n", an array or object as json().
    std::string json() const;

private:
    friend class Array;
    friend class Object;
    friend class detail::Writer;
    friend class detail::Reader;

    void reset();
    void copyFrom(const Value &other);
    void takeFrom(Value &other);
    void *checkedPayload(detail::Kind kind);

    detail::Kind kind_ = detail::Kind::Invalid;
    union {
        Number number_;
        Boolean boolean_;
        String *string_;
        Array *array_;
        Object *object_;
    };
};

class Array
{
public:
    Array();
    Array(const Array &other);
    Array(Array &&other) noexcept;
    Array &operator=(const Array &other);
    Array &operator=(Array &&other) noexcept;
    ~Array();

    size_t size() const { return values_.size(); }
    bool empty() const { return values_.empty(); }
    void clear();

    template <class T> bool has(size_t i) const { return i < values_.size() && values_[i]->is<T>(); }
    // Preconditions "i < size()" and is<T>(), reported to the assertion hook.
    template <class T> T &get(size_t i)
    {
        return *static_cast<T *>(checkedPayload(i, detail::KindOf<T>::value));
    }
    template <class T> const T &get(size_t i) const
    {
        return *static_cast<const T *>(
            const_cast<Array *>(this)->checkedPayload(i, detail::KindOf<T>::value));
    }

    // Appends a copy.
    Array &operator<<(const Value &value);
    // Appends copies of every element of other; importing an array into itself doubles it.
    void import(const Array &other);

    // Reads one array; before anything else the array is emptied. On failure the elements read so far stay.
    bool parse(std::istream &input);
    bool parse(const std::string &text);
    std::string json() const;

    const std::vector<Value *> &values() const { return values_; }

private:
    friend class detail::Reader;
    void *checkedPayload(size_t i, detail::Kind kind);

    std::vector<Value *> values_;
};

class Object
{
public:
    using Map = std::map<String, Value *, KeyLess>;

    Object();
    Object(const Object &other);
    Object(Object &&other) noexcept;
    Object &operator=(const Object &other);
    Object &operator=(Object &&other) noexcept;
    ~Object();

    // Reads one object; before anything else the object is emptied. Text after the closing brace is not
    // examined. On failure the entries read so far stay.
    bool parse(std::istream &input);
    bool parse(const std::string &text);

    template <class T> bool has(const String &key) const
    {
        const auto it = values_.find(key);
        return it != values_.end() && it->second->is<T>();
    }
    // Preconditions "has<T>(key)" and is<T>(), reported to the assertion hook.
    template <class T> T &get(const String &key)
    {
        return *static_cast<T *>(checkedPayload(key, detail::KindOf<T>::value));
    }
    template <class T> const T &get(const String &key) const
    {
        return *static_cast<const T *>(
            const_cast<Object *>(this)->checkedPayload(key, detail::KindOf<T>::value));
    }

    // Streaming construction: key, value, key, value ... A key must be a String; the value after it is
    // stored as a copy, replacing any entry with that key.
    Object &operator<<(const Value &value);
    // Stores a copy under key, replacing any entry with that key.
    void import(const String &key, const Value &value);
    // Imports every entry of other (same keys are replaced); importing an object into itself changes nothing.
    void import(const Object &other);
    // Removes the entry with this key; returns whether there was one.
    bool erase(const String &key);
    void clear();

    size_t size() const { return values_.size(); }
    bool empty() const { return values_.empty(); }
    const Map &kv_map() const { return values_; }

    std::string json() const;

private:
    friend class detail::Reader;
    void *checkedPayload(const String &key, detail::Kind kind);
    void store(const String &key, Value *value);

    Map values_;
    std::optional<String> pendingKey_;
};

} // namespace json
