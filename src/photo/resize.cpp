// The resampler of photo/: Debian's stb_image_resize, compiled here.
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#define STBIR_DEFAULT_FILTER_DOWNSAMPLE STBIR_FILTER_MITCHELL
#include <stb_image_resize.h>
