#ifndef USB_OPERATE_H
#define USB_OPERATE_H

#include <hidapi.h>

#include <atomic>
#include <cstdint>

// The two vendor/product id pairs of the instruments, in the order they
// are enumerated.
namespace usb_ids {
constexpr unsigned short vendor_a = 0x6E72, product_a = 0x5721;
constexpr unsigned short vendor_b = 0x0483, product_b = 0x5750;
}

// Writes commands to an open HID instrument as output reports.
class USB_OPERATE
{
public:
    // Report id plus the device's 64-byte output report.
    static constexpr int report_size = 65;

    USB_OPERATE();
    ~USB_OPERATE();

    // One output report: report id 0, the first len bytes of the frame, and
    // zeros up to the 64-byte report (hidraw sends only what it is given,
    // and the instruments expect the whole report). Nothing without a handle.
    // Returns hid_write's result (-1 when nothing could be written).
    int usb_write(const char *frame, int len);
    void set_device(hid_device *device);
    static uint16_t sum_words(const uint16_t *words, uint16_t n);
    static uint8_t sum_bytes(const uint8_t *bytes, uint16_t n);

protected:
    std::atomic<hid_device *> handle{nullptr};
};

#endif
