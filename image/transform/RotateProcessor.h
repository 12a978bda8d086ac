#pragma once
// Turning an image clockwise by whole degrees into an image large enough to
// hold all of it, sampling the source bilinearly.
#include <cstdint>
#include <utility>

#include "image/PixelProcessor.h"

namespace stampora {

// Bilinear blend of four neighbours p00 (x0, y0), p10 (x0 + 1, y0),
// p01 (x0, y0 + 1) and p11 (x0 + 1, y0 + 1) at fractional offsets fx, fy.
// 32-bit pixels with some transparency are blended weighted by alpha, so
// transparent neighbours lend no colour. The answer is a little-endian pixel
// value (blue, green, red, alpha bytes); 24-bit answers carry alpha 255.
uint32_t SampleBilinear(double fx, double fy, bool is32Bit, const uint8_t* p00, const uint8_t* p10,
                        const uint8_t* p01, const uint8_t* p11);

class CRotateProcessor final : public CCopyingProcessor {
public:
    // Any whole number of degrees; it is brought into 0 ... 359.
    explicit CRotateProcessor(int32_t degrees);

    // The size of a width x height image turned by `degrees`: the box that
    // holds all of it, each side rounded up. Too large for an image when a
    // side passes INT32_MAX.
    static std::pair<double, double> TurnedSize(int32_t degrees, int32_t width, int32_t height);

    // The copying test, and a width and height of at least 2.
    bool Accepts(const CRasterImage& image) const override;
    int32_t Mode() const override { return kProcessPixelByPixel; }
    // Keeps the picture aside and re-creates the image at the turned size.
    bool Begin(CRasterImage& image) override;
    void ApplyToPixel(CRasterImage& image, int32_t x, int32_t y, uint8_t* pixel) override;
    void ApplyToLine(CRasterImage& image, int32_t y, uint8_t* line) override;

    // Where destination pixel (x, y) comes from in the source.
    virtual bool MapToSource(double x, double y, double& sourceX, double& sourceY) const;

    int32_t NewWidth() const { return newWidth; }
    int32_t NewHeight() const { return newHeight; }
    double Angle() const { return angle; }
    double ReverseAngle() const { return reverseAngle; }

private:
    void StartLine(int32_t y);
    // The pixels [first, last) of the current line that can reach the source.
    std::pair<int32_t, int32_t> ReachableSpan(int32_t width) const;
    template <bool is32Bit>
    uint32_t SampleFor(const CRasterImage& copy, int32_t x) const;
    // The 32-bit pixels [first, last) of the current line.
    void TurnSpan32(const CRasterImage& copy, int32_t first, int32_t last, uint8_t* line) const;

    int32_t wholeDegrees;  // 0 ... 359
    double angle;          // radians
    double reverseAngle;   // radians, the turn back
    double cosReverse;
    double sinReverse;
    int32_t newWidth = 0;
    int32_t newHeight = 0;
    int32_t sourceWidth = 0;
    int32_t sourceHeight = 0;
    // The turn's centre in the new image and the new image's extra size over
    // the source, halved.
    double centreX = 0.0;
    double centreY = 0.0;
    double shiftX = 0.0;
    double shiftY = 0.0;
    // Terms of the mapping that stay the same along one destination line.
    int32_t cachedLine = -1;
    double lineTermX = 0.0;
    double lineTermY = 0.0;
};

}  // namespace stampora
