#include "common/EventLoop.h"
#include "trend/TrendReader.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace zelt {
namespace {

// Requests made while a read runs: the waiting one is replaced by each newer
// one, and the read that finishes meanwhile is dropped, so only the last is
// delivered.
TEST(TrendReader, DeliversOnlyTheLatestRequest)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.sqlite"));
    {
        SessionStore store(path, QStringLiteral("fill"));
        store.Open();
        std::vector<StoredSample> samples;
        for (int i = 0; i < 100; ++i) {
            TrendSample s;
            s.TimeMs = 5000 + i * 1000LL;
            samples.push_back({"P", s});
        }
        store.Append(samples, {});
    }
    std::vector<TrendResult> results;
    TrendReader reader(path, [&results](const TrendResult& result) { results.push_back(result); });
    for (int count : {1, 2, 3})
        reader.Request({"P", 0, 150 * 1000, false, count});
    ASSERT_TRUE(test::WaitUntil([&] { return !results.empty() && results.back().Request.Count == 3; }, 10000));
    test::Pump(50);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].Buckets.size(), 3u); // the first two requests give one
    EXPECT_EQ(results[0].FirstMs, 5000);

    // A span from the oldest sample starts there.
    reader.Request({"P", 0, 200 * 1000, true, 1});
    ASSERT_TRUE(test::WaitUntil([&] { return results.size() == 2; }, 10000));
    EXPECT_EQ(results[1].FromMs, 5000);
    EXPECT_EQ(results[1].Error, QString());
}

} // namespace
} // namespace zelt
