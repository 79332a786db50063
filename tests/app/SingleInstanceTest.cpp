#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>

#include <stdlib.h>
#include <unistd.h>

#include <memory>

#include "SingleInstance.h"
#include "TestFiles.h"

using namespace murk;

namespace {

class SingleInstance : public ::testing::Test {
protected:
    void SetUp() override {
        FSaved = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(FRuntime.Path()));
    }
    void TearDown() override { qputenv("XDG_RUNTIME_DIR", FSaved); }

    // The program started in a folder of its own, as a user would start it.
    std::unique_ptr<QProcess> StartProgram() {
        auto program = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", QString::fromStdString(FRuntime.Path()));
        environment.insert("MURKWELL_HOME", QString::fromStdString(FHome.Path()));
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("HOME", QString::fromStdString(FHome.Path()));
        program->setProcessEnvironment(environment);
        program->start(QStringLiteral(MURKWELL_EXE), {QString::fromStdString(FHome.Path())});
        return program;
    }

    murktest::TTempDir FRuntime;
    murktest::TTempDir FHome;
    QByteArray FSaved;
};

TEST_F(SingleInstance, OneHolderAtATimeInTheRuntimeFolder) {
    EXPECT_EQ(TSingleInstance::LockPath(),
              QString::fromStdString(FRuntime.Path()) + QStringLiteral("/EX_Mutex.lock"));
    auto first = std::make_unique<TSingleInstance>();
    ASSERT_TRUE(first->Acquire());
    TSingleInstance second;
    EXPECT_FALSE(second.Acquire());
    EXPECT_FALSE(second.Held());
    first.reset();
    EXPECT_TRUE(second.Acquire()) << "the lock goes with its holder";

    qputenv("XDG_RUNTIME_DIR", "");
    EXPECT_EQ(TSingleInstance::LockPath(),
              QDir::tempPath() + QStringLiteral("/EX_Mutex-%1.lock").arg(::getuid()));
}

TEST_F(SingleInstance, ASecondStartLeavesAtOnceWithoutTouchingTheSettings) {
    auto running = std::make_unique<TSingleInstance>();
    ASSERT_TRUE(running->Acquire());
    const auto second = StartProgram();
    ASSERT_TRUE(second->waitForFinished(10000)) << "the second start must leave by itself";
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_TRUE(QDir(QString::fromStdString(FHome.Path()))
                    .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)
                    .isEmpty());

    // Without another instance the program stays up, so leaving above came
    // from the lock.
    running.reset();
    const auto first = StartProgram();
    EXPECT_FALSE(first->waitForFinished(1500));
    first->kill();
    first->waitForFinished(5000);
}

}  // namespace
