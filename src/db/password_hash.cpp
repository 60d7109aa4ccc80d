#include "db/password_hash.h"

#include "db/db_error.h"

#include <QByteArray>
#include <QRandomGenerator>
#include <QStringList>

#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <array>
#include <optional>

namespace db {

namespace {

const QString kScheme = QStringLiteral("pbkdf2-sha256");
constexpr int kSaltBytes = 16;
constexpr int kKeyBytes = 32;
// More than any text of ours asks for: a stored count beyond it would hold the login for minutes.
constexpr qint64 kMostIterations = 100 * qint64(kPasswordIterations);

struct Derivation {
    int iterations = 0;
    QByteArray salt, key;
};

std::optional<Derivation> parse(const QString& stored) {
    const QStringList parts = stored.split(u'$');
    if (parts.size() != 4 || parts.at(0) != kScheme)
        return std::nullopt;
    bool number = false;
    const qint64 iterations = parts.at(1).toLongLong(&number);
    const auto salt =
        QByteArray::fromBase64Encoding(parts.at(2).toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    const auto key =
        QByteArray::fromBase64Encoding(parts.at(3).toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!number || iterations < 1 || iterations > kMostIterations || !salt || salt.decoded.isEmpty() ||
        !key || key.decoded.size() != kKeyBytes)
        return std::nullopt;
    return Derivation{int(iterations), salt.decoded, key.decoded};
}

// OpenSSL's PBKDF2: several times faster per iteration than one built on Qt's HMAC, so the same
// tenth of a second buys as many iterations as an attacker's own optimised code must repeat.
QByteArray derive(const QString& password, const QByteArray& salt, int iterations) {
    QByteArray utf8 = password.toUtf8();
    QByteArray key(kKeyBytes, Qt::Uninitialized);
    const int done = PKCS5_PBKDF2_HMAC(
        utf8.constData(), int(utf8.size()), reinterpret_cast<const unsigned char*>(salt.constData()),
        int(salt.size()), iterations, EVP_sha256(), kKeyBytes, reinterpret_cast<unsigned char*>(key.data()));
    // The password's bytes go as soon as they have been used.
    OPENSSL_cleanse(utf8.data(), size_t(utf8.size()));
    if (done != 1)
        throw DbError(QStringLiteral("无法计算密码的校验值（OpenSSL 出错）。"));
    return key;
}

} // namespace

QString hashPassword(const QString& password) {
    std::array<quint32, kSaltBytes / 4> words;
    QRandomGenerator::system()->fillRange(words.data(), qsizetype(words.size()));
    const QByteArray salt(reinterpret_cast<const char*>(words.data()), kSaltBytes);
    const QByteArray key = derive(password, salt, kPasswordIterations);
    return kScheme + u'$' + QString::number(kPasswordIterations) + u'$' +
           QString::fromLatin1(salt.toBase64()) + u'$' + QString::fromLatin1(key.toBase64());
}

bool isPasswordHash(const QString& stored) {
    return stored.startsWith(kScheme + u'$');
}

bool passwordMatches(const QString& stored, const QString& typed) {
    const std::optional<Derivation> d = parse(stored);
    if (!d)
        return false;
    const QByteArray key = derive(typed, d->salt, d->iterations);
    return CRYPTO_memcmp(key.constData(), d->key.constData(), size_t(kKeyBytes)) == 0;
}

} // namespace db
