// The identifier every object answers to, defined once for all modules that hand out objects.
#include <base/Com.h>

const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
