#include "TestMain.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace quillcraft::test {

int runAllTests(int& argc, char** argv, const std::function<std::unique_ptr<QCoreApplication>(int&, char**)>& makeApp)
{
    testing::InitGoogleTest(&argc, argv);
    // CTest lists the tests outside any display; GUI tests cannot make their application there.
    if (testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    for (const char* name : { "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME" })
        qputenv(name, (home.path() + QLatin1Char('/') + QString::fromLatin1(name)).toLocal8Bit());
    auto app = makeApp(argc, argv);
    return RUN_ALL_TESTS();
}

} // namespace quillcraft::test
