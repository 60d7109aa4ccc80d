#pragma once

#include "controls.h"
#include "fake_dialogs.h"
#include "manager/ui/record_grid.h"
#include "test_db.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include <memory>

// The record grid and the three write buttons every data-management editor has.
struct EditorControls {
    const QWidget& w;
    manager::ui::RecordGrid* grid = control<manager::ui::RecordGrid>(&w, QStringLiteral("recordGrid"));
    QPushButton* Cmd追加 = control<QPushButton>(&w, QStringLiteral("Cmd追加"));
    QPushButton* Cmd修改 = control<QPushButton>(&w, QStringLiteral("Cmd修改"));
    QPushButton* Cmd删除 = control<QPushButton>(&w, QStringLiteral("Cmd删除"));
    explicit EditorControls(const QWidget& editor) : w(editor) {}
};

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
        state.project.roomDigits = 3;
        state.project.examName = u"2026年中考"_qs;
        state.project.siteName = u"城关一中考点"_qs;
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

    // On a read-only file every write button (by objectName) says so and writes nothing;
    // without a login none of them is enabled.
    void checkWriteGuard(const QStringList& writes) {
        makeReadOnly();
        s.prompter.answers = {true};
        open();
        for (const QString& name : writes) {
            QPushButton* b = control<QPushButton>(w.get(), name);
            QVERIFY2(b->isEnabled(), qPrintable(name));
            b->click();
            QCOMPARE(s.prompter.last(), common::readOnlyWriteText());
        }
        QCOMPARE(s.prompter.said.size(), writes.size());
        QVERIFY(unchanged());
        state.ZD = false;
        state.LoginSucceeded = false;
        open();
        for (const QString& name : writes)
            QVERIFY2(!control<QPushButton>(w.get(), name)->isEnabled(), qPrintable(name));
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
