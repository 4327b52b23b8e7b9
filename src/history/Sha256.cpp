#include "Sha256.h"

#include <gcrypt.h>
#include <mutex>

namespace {

void initializeLibrary() {
    static std::once_flag once;
    std::call_once(once, [] {
        // Other users in the process (systemd's library) may have done this
        // already; doing it again is harmless.
        if (gcry_control(GCRYCTL_INITIALIZATION_FINISHED_P))
            return;
        gcry_check_version(nullptr);
        gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
        gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
    });
}

} // namespace

Sha256::Sha256() {
    initializeLibrary();
    if (gcry_md_open(&m_handle, GCRY_MD_SHA256, 0) != 0)
        qFatal("velloq: SHA-256 is not available");
}

Sha256::~Sha256() {
    gcry_md_close(m_handle);
}

void Sha256::addData(QByteArrayView data) {
    gcry_md_write(m_handle, data.data(), size_t(data.size()));
}

QByteArray Sha256::result() {
    const unsigned char* digest = gcry_md_read(m_handle, GCRY_MD_SHA256);
    return QByteArray(reinterpret_cast<const char*>(digest), 32);
}
