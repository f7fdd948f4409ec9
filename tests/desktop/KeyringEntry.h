#pragma once

// What the keyring holds for an entry, read through a store of its own (the desktop tests).

#include "KeyringStore.h"

#include <QTest>

#include <gtest/gtest.h>

#include <optional>

inline std::optional<QString> KeyringEntry(const QString& server, const QString& user) {
    constexpr int Patience = 30000;
    TKeyringStore store;
    std::optional<TKeyringStore::Result> result;
    QString password;
    QObject::connect(&store, &TKeyringStore::ReadFinished,
                     [&](const QString&, const QString&, TKeyringStore::Result r,
                         const QString& read, const QString&) {
                         result = r;
                         password = read;
                     });
    store.Read(server, user);
    EXPECT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, Patience));
    EXPECT_NE(result, TKeyringStore::Result::Failed);
    if (result != TKeyringStore::Result::Done)
        return std::nullopt;
    return password;
}
