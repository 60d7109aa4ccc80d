#pragma once

#include "common/clock.h"
#include "common/prompter.h"
#include "common/services.h"
#include "common/shell.h"
#include "draw/random_source.h"

#include <QDateTime>
#include <QStringList>
#include <QVector>

#include <functional>

// Answers every question without a human and remembers what was said.
class FakePrompter : public common::Prompter {
public:
    struct Said {
        QString text;
        Icon icon;
        QString title;
        bool question;
    };
    QVector<Said> said;
    QVector<bool> answers;           // answers for confirm(), in order; No when they run out
    std::function<void()> onMessage; // runs inside message(), e.g. to poke the window meanwhile

    void message(QWidget*, const QString& text, Icon icon, const QString& title = {}) override {
        said.push_back({text, icon, title, false});
        if (onMessage)
            onMessage();
    }
    bool confirm(QWidget*, const QString& text, Icon icon, const QString& title = {}) override {
        said.push_back({text, icon, title, true});
        if (answers.isEmpty())
            return false;
        return answers.takeFirst();
    }
    QString last() const { return said.isEmpty() ? QString() : said.back().text; }
};

class FakeShell : public common::Shell {
public:
    QStringList opened, started;
    bool openResult = true;
    bool startResult = true;
    bool openFile(const QString& path) override {
        opened << path;
        return openResult;
    }
    bool startProgram(const QString& path) override {
        started << path;
        return startResult;
    }
};

// Hands out the paths a test has queued; cancels (empty text) when none is left.
class FakeFileChooser : public common::FileChooser {
public:
    QStringList answers;
    QString openFile(QWidget*, const QString&, const QString&, const QString&) override { return next(); }
    QString saveFile(QWidget*, const QString&, const QString&, const QString&) override { return next(); }

private:
    QString next() { return answers.isEmpty() ? QString() : answers.takeFirst(); }
};

class FakeClock : public common::Clock {
public:
    QDateTime t = QDateTime(QDate(2026, 6, 7), QTime(9, 0));
    QDateTime now() const override { return t; }
};

// A fixed-seed generator: the same numbers on every run of a test.
class FixedRandom : public engine::SeededRandom {
public:
    explicit FixedRandom(std::uint64_t seed = 12345) : SeededRandom(seed) {}
    std::uint64_t freshSeed() override { return next64(); }
};
