#include "baselibs/json/Json.h"

#include <QtTest>

#include <atomic>
#include <thread>
#include <vector>

// Several threads write JSON at once while the escape table has not been used yet in this process; each
// must get the complete escaping.
class TestJsonThreads : public QObject
{
    Q_OBJECT

private slots:
    void concurrentFirstUseOfEscaping()
    {
        std::string text;
        for (int byte = 0; byte < 256; ++byte)
            text += static_cast<char>(byte);
        json::Object object;
        object << "k" << text;

        const int threadCount = 8;
        std::atomic<int> ready{0};
        std::vector<std::string> results(threadCount);
        std::vector<std::thread> threads;
        for (int i = 0; i < threadCount; ++i) {
            threads.emplace_back([&, i] {
                ++ready;
                while (ready.load() < threadCount) {
                }
                for (int round = 0; round < 50; ++round)
                    results[static_cast<size_t>(i)] = object.json();
            });
        }
        for (std::thread &thread : threads)
            thread.join();

        json::Object back;
        QVERIFY(back.parse(results[0]));
        QVERIFY(back.get<json::String>("k") == text);
        for (const std::string &result : results)
            QCOMPARE(result, results[0]);
    }
};

QTEST_GUILESS_MAIN(TestJsonThreads)
#include "test_json_threads.moc"
