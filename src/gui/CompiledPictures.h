// The pictures shown as the program starts, compiled in as pixels ready to
// paint (premultiplied ARGB, 32 bits a pixel, rows without padding), so that
// nothing is decoded before the splash is painted. A picture without any
// transparent pixel is marked opaque: painted as RGB, it is neither searched
// for transparency nor copied when it is first shown. Written at build time by
// pellix-render-pictures from the same renderings as the PNG files.
#pragma once

namespace pellix::gui {

struct CompiledPicture {
    const char* file;  // the PNG it stands for, as in PictureFile(): ":/splash.png"
    int width;
    int height;
    bool opaque;
    const unsigned char* pixels;
};

extern const CompiledPicture kCompiledPictures[];
extern const int kCompiledPictureCount;

}  // namespace pellix::gui
