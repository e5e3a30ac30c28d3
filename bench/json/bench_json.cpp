// Prints how long reading and writing a task list of 200 entries takes, the size the pages handle.

#include "baselibs/json/Json.h"
#include "baselibs/json/QtJson.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace {

json::Object taskList(int entries)
{
    json::Array list;
    for (int i = 0; i < entries; ++i) {
        json::Object task;
        task << "id" << i << "productId" << std::to_string(100000 + i) << "productName"
             << "\xE6\xB8\xB8\xE6\x88\x8F " + std::to_string(i) << "url"
             << "http://127.0.0.1:8080/download/game" + std::to_string(i) + ".7z"
             << "status" << i % 8 << "rate"
             << "45.5%"
             << "size" << qint64(3) * 1024 * 1024 * 1024 << "logo"
             << "http://127.0.0.1:8080/images/" + std::to_string(i) + ".png";
        list << task;
    }
    json::Object document;
    document << "list" << list << "total" << entries;
    return document;
}

template <class Work> double microsecondsPerRun(int runs, Work work)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < runs; ++i)
        work();
    const std::chrono::duration<double, std::micro> elapsed = std::chrono::steady_clock::now() - start;
    return elapsed.count() / runs;
}

} // namespace

int main()
{
    const int runs = 200;
    const json::Object document = taskList(200);
    const std::string text = document.json();

    size_t sink = 0;
    const double write = microsecondsPerRun(runs, [&] { sink += document.json().size(); });
    const double read = microsecondsPerRun(runs, [&] {
        json::Object parsed;
        sink += parsed.parse(text) ? parsed.size() : 0;
    });
    const double page =
        microsecondsPerRun(runs, [&] { sink += size_t(json::pageArgument(document).size()); });

    std::printf("json: 200-entry list, %zu bytes of text\n", text.size());
    std::printf("json: serialise %.1f us, parse %.1f us, page argument %.1f us (mean of %d runs)\n", write,
                read, page, runs);
    return sink == 0 ? 1 : 0;
}
