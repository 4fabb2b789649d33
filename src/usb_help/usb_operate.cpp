#include "usb_operate.h"
#include "data_process/checksum.h"

#include <vector>

USB_OPERATE::USB_OPERATE() = default;
USB_OPERATE::~USB_OPERATE() = default;

int USB_OPERATE::usb_write(const char *frame, int len)
{
    hid_device *dev = handle.load();
    if (!dev || !frame || len < 0)
        return -1;
    const uint16_t count = uint16_t(len);
    std::vector<unsigned char> report(count + 1 < report_size ? report_size : count + 1, 0);
    for (uint16_t i = 0; i < count; ++i)
        report[i + 1] = static_cast<unsigned char>(frame[i]);
    return hid_write(dev, report.data(), report.size());
}

void USB_OPERATE::set_device(hid_device *device)
{
    handle.store(device);
}

uint16_t USB_OPERATE::sum_words(const uint16_t *words, uint16_t n)
{
    return checksum::sum_words(words, n);
}

uint8_t USB_OPERATE::sum_bytes(const uint8_t *bytes, uint16_t n)
{
    return checksum::sum_bytes(bytes, n);
}
