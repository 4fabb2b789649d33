// Finds the preloaded virtual instrument through plain hidapi calls, polls it
// once and prints what it answered.
#include <hidapi.h>

#include <cstdio>
#include <cwchar>

int main()
{
    if (hid_init() < 0)
        return 1;
    hid_device_info *devs = hid_enumerate(0x6E72, 0x5721);
    if (!devs) {
        std::printf("no device\n");
        return 1;
    }
    std::printf("found %s\n", devs->path);
    hid_device *dev = hid_open_path(devs->path);
    hid_free_enumeration(devs);
    if (!dev)
        return 1;
    wchar_t product[64] = {};
    hid_get_product_string(dev, product, 64);
    unsigned char poll[65] = {0, 0xAA, 0x55, 0x01, 0x03, 0x03};
    hid_write(dev, poll, sizeof poll);
    unsigned char in[64] = {};
    const int n = hid_read_timeout(dev, in, sizeof in, 2000);
    hid_close(dev);
    hid_exit();
    if (n <= 0 || std::wcsncmp(product, L"KQ257", 5) != 0)
        return 1;
    std::printf("KQ257 answered:");
    for (int i = 0; i < 4; ++i)
        std::printf(" %02X", in[i]);
    std::printf("\n");
    return 0;
}
