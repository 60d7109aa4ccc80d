#pragma once

#include "fake_dialogs.h"
#include "test_db.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include <functional>
#include <memory>

// One project with three-digit room numbers, the run state an editor gets from the main
// window after a successful login, and the scripted services; `open` builds the editor.
template <class Editor> struct EditorFixture {
    TestDb t;
    FakeServices s;
    int project = t.addProject(u"2026年中考"_qs, u"城关一中考点"_qs);
    common::RunState state = t.runState(project);
    std::unique_ptr<Editor> w;
    QByteArray before; // the file when it was made read-only

    EditorFixture() {
        state.project.kchw = 3;
        state.project.ksmc = u"2026年中考"_qs;
        state.project.kdmc = u"城关一中考点"_qs;
        s.clock.t = QDateTime(QDate(2031, 5, 4), QTime(8, 5, 6));
    }
    Editor& open() {
        w = std::make_unique<Editor>(state, s.services);
        return *w;
    }

    static QString room(int k) { return QStringLiteral("%1").arg(k, 3, 10, QLatin1Char('0')); }
    void addRooms(int n) {
        db::Transaction batch(*t.db);
        for (int k = 1; k <= n; ++k)
            t.addRoom(project, room(k), QStringLiteral("甲%1").arg(k), QStringLiteral("乙%1").arg(k));
        batch.commit();
    }
    // `n` people of a duty category with group numbers 001, 002, ... and the scopes given.
    void addDuty(const QString& kind, int n, const QStringList& scopes = {}) {
        db::Transaction batch(*t.db);
        for (int j = 1; j <= n; ++j)
            t.addStaff(project, kind, room(j), kind, kind + QString::number(j), u"男"_qs, u"一中"_qs,
                       j <= scopes.size() ? QVariant(scopes[j - 1]) : QVariant());
        batch.commit();
    }
    db::Rows rows(const QString& table) {
        return t.db->query(u"select * from "_qs + table + u" where 项目编号=? order by 编号"_qs, {project});
    }

    // The database opened read-only, as a program does where it may not write; `unchanged()`
    // compares the file afterwards.
    void makeReadOnly() {
        t.db.reset();
        before = hash();
        t.db = std::make_unique<db::Database>(t.path(), db::Database::Mode::ReadOnly);
        state.db = t.db.get();
        state.ZD = true;
    }
    bool unchanged() {
        w.reset();
        return hash() == before;
    }
    QByteArray hash() const {
        QFile f(t.path());
        f.open(QIODevice::ReadOnly);
        return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1);
    }

    // On a read-only file every write button says so and writes nothing; without a login
    // none of them is enabled.
    void checkWriteGuard(const std::function<QList<QPushButton*>(Editor&)>& writes) {
        makeReadOnly();
        s.prompter.answers = {true};
        const QList<QPushButton*> buttons = writes(open());
        for (QPushButton* b : buttons) {
            QVERIFY2(b->isEnabled(), qPrintable(b->objectName()));
            b->click();
            QCOMPARE(s.prompter.last(), common::readOnlyWriteText());
        }
        QCOMPARE(s.prompter.said.size(), buttons.size());
        QVERIFY(unchanged());
        state.ZD = false;
        state.LoginSucceeded = false;
        for (QPushButton* b : writes(open()))
            QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));
    }

    // The objectName of the control that would have the focus.
    QString focused() const {
        // An editable list's own line edit stands for the list.
        QWidget* f = w->focusWidget();
        while (f && (f->objectName().isEmpty() || f->objectName().startsWith(u"qt_"_qs)))
            f = f->parentWidget();
        return f ? f->objectName() : QString();
    }
};
