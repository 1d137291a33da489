#include "TestMain.h"

#include <QCoreApplication>

int main(int argc, char** argv)
{
    return quillcraft::test::runAllTests(
        argc, argv, [](int& c, char** v) { return std::make_unique<QCoreApplication>(c, v); });
}
