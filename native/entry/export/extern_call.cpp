// The plug-in's one export.
#include "entry/dispatch.h"

#if VNT_IMAGE_PADDING > 0
// Test builds only: a library image of another size.
extern "C" __attribute__((used, visibility("default"))) const unsigned char vnt_image_padding[VNT_IMAGE_PADDING] = {1};
#endif

extern "C" FMX_EXPORT void FMX_CALL FMExternCallProc(HostCallRecord *record) { entry::dispatch(record); }
