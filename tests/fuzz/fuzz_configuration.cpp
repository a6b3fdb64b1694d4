// Configuration decode fed any bytes, as a configuration file (first byte
// "F") or as a received image (any other first byte), followed by encode.
// What encode writes decodes again, and encoding that gives the same bytes:
// decode, encode, decode is stable.

#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "config/ConfigurationImage.h"
#include "config/StationConfig.h"

#include <QBuffer>
#include <QByteArray>

#include <cstdint>

namespace {

const QString kFileName = QStringLiteral("CONFIG07.BRC");

bool decode(nxa::config::StationConfig &config, const QByteArray &image, bool fileForm) {
    if (!fileForm)
        return nxa::config::decodeConfigurationTransfer(config, image).ok;
    QBuffer buffer;
    buffer.setData(image);
    buffer.open(QIODevice::ReadOnly);
    return nxa::config::decodeConfigurationFile(config, buffer, kFileName).ok;
}

QByteArray encode(const nxa::config::StationConfig &config, bool fileForm) {
    return fileForm ? nxa::config::encodeConfigurationFile(config)
                    : nxa::config::encodeConfigurationTransfer(config);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const auto [fileForm, image] = formedImage(data, size);

    nxa::config::StationConfig config;
    if (!decode(config, image, fileForm))
        return 0;
    const QByteArray encoded = encode(config, fileForm);
    NXA_FUZZ_CHECK(encoded.size() ==
                   (fileForm ? nxa::config::kFileSize : nxa::config::kTransferSize));

    nxa::config::StationConfig again;
    NXA_FUZZ_CHECK(decode(again, encoded, fileForm));
    NXA_FUZZ_CHECK(encode(again, fileForm) == encoded);
    return 0;
}
