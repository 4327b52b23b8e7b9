#pragma once

#include <QByteArray>
#include <QByteArrayView>

// A SHA-256 digest computed with the processor's hashing instructions where
// it has them: a copy of megabytes is hashed in milliseconds, not the tenth
// of a second Qt's portable code takes. Same results as any SHA-256.
class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void addData(QByteArrayView data);
    // The 32-byte digest of everything added.
    QByteArray result();

private:
    struct gcry_md_handle* m_handle = nullptr;
};
