#pragma once
#include <memory>
#include <vector>

#include "image/RasterImage.h"

namespace stampora {

// The images a reader made, one per frame. An owning list deletes its images;
// a non-owning one (the list a save is given) only points at them.
class ImageList {
public:
    explicit ImageList(bool owning = true) : owns(owning) {}
    ImageList(const ImageList&) = delete;
    ImageList& operator=(const ImageList&) = delete;
    ~ImageList() { Clear(); }

    void Append(CRasterImage* image) { images.push_back(image); }
    // Takes a newly made image; the list owns it from here on.
    void Append(std::unique_ptr<CRasterImage> image) { images.push_back(image.release()); }
    size_t Size() const { return images.size(); }
    bool Empty() const { return images.empty(); }
    CRasterImage* At(size_t i) const { return images[i]; }
    CRasterImage* First() const { return images.empty() ? nullptr : images.front(); }
    void Clear() {
        if (owns) {
            for (CRasterImage* image : images) delete image;
        }
        images.clear();
    }

private:
    std::vector<CRasterImage*> images;
    bool owns;
};

}  // namespace stampora
