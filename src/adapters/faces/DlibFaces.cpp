// The face finder module: dlib's HOG face detector and its 68-point shape
// predictor. Chosen over OpenCV's Haar cascades by bench/face-question.sh:
// on the sample photographs it told every smile right where the smile
// cascade fired on an unsmiling face as often as not, and a poll took about
// a quarter of the frontal cascade's time. Built only where dlib is found;
// Kestrel opens it with dlopen (see adapters/linux/FaceModule).
#include "adapters/faces/KestrelFaces.h"

#include <dlib/image_processing.h>
#include <dlib/image_processing/frontal_face_detector.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <vector>

struct KestrelFaces {
    dlib::frontal_face_detector detector = dlib::get_frontal_face_detector();
    dlib::shape_predictor landmarks;
};

namespace {

// Detections the detector scores lower are mostly not faces (a round badge
// on a jacket scored 0.2 where the faces scored 1.0 to 1.6).
constexpr double kLeastScore = 0.5;
// A smile widens the mouth against the jaw and lifts its corners above the
// lips' middle: open-mouthed and closed-mouthed smiles both do.
constexpr double kSmileWidth = 0.42;
// A face turned to the camera has its nose tip near the middle between the
// eyes' outer corners.
constexpr double kLookingOffCentre = 0.18;

void say(char* error, std::size_t size, const char* text) {
    if (error && size > 0) std::snprintf(error, size, "%s", text);
}

dlib::array2d<unsigned char> grayOf(const unsigned char* pixels, int width, int height,
                                    std::size_t bytesPerRow) {
    dlib::array2d<unsigned char> gray(height, width);
    for (int y = 0; y < height; ++y) {
        const unsigned char* p = pixels + static_cast<std::size_t>(y) * bytesPerRow;
        for (int x = 0; x < width; ++x, p += 4)
            gray[y][x] = static_cast<unsigned char>((29 * p[0] + 150 * p[1] + 77 * p[2]) >> 8);
    }
    return gray;
}

double x(const dlib::full_object_detection& shape, unsigned long part) {
    return static_cast<double>(shape.part(part).x());
}
double y(const dlib::full_object_detection& shape, unsigned long part) {
    return static_cast<double>(shape.part(part).y());
}

bool smiling(const dlib::full_object_detection& shape) {
    const double jaw = dlib::length(shape.part(16) - shape.part(0));
    const double mouth = dlib::length(shape.part(54) - shape.part(48));
    const double middle = (y(shape, 62) + y(shape, 66)) / 2.0;
    const double corners = (y(shape, 48) + y(shape, 54)) / 2.0;
    return jaw > 0 && mouth / jaw > kSmileWidth && corners < middle;
}

bool looking(const dlib::full_object_detection& shape) {
    const double left = x(shape, 36);
    const double right = x(shape, 45);
    const double span = right - left;
    if (span <= 0) return false;
    const double offCentre = (x(shape, 30) - (left + right) / 2.0) / span;
    return std::abs(offCentre) < kLookingOffCentre;
}

}  // namespace

extern "C" {

int kestrel_faces_version(void) { return KESTREL_FACES_VERSION; }

KestrelFaces* kestrel_faces_open(const char* modelPath, char* error, size_t errorSize) {
    try {
        auto* finder = new KestrelFaces;
        try {
            dlib::deserialize(modelPath) >> finder->landmarks;
        } catch (...) {
            delete finder;
            throw;
        }
        return finder;
    } catch (const std::exception& failure) {
        say(error, errorSize, failure.what());
    } catch (...) {
        say(error, errorSize, "the landmark model could not be read");
    }
    return nullptr;
}

int kestrel_faces_find(KestrelFaces* finder, const unsigned char* pixels, int width, int height,
                       size_t bytesPerRow, KestrelFaceBox* faces, int capacity) {
    if (!finder || !pixels || width <= 0 || height <= 0 ||
        bytesPerRow < static_cast<std::size_t>(width) * 4)
        return -1;
    try {
        const dlib::array2d<unsigned char> gray = grayOf(pixels, width, height, bytesPerRow);
        std::vector<dlib::rect_detection> found;
        finder->detector(gray, found, 0.0);
        int count = 0;
        for (const auto& detection : found) {
            if (detection.detection_confidence < kLeastScore) continue;
            if (faces && count < capacity) {
                const dlib::full_object_detection shape = finder->landmarks(gray, detection.rect);
                const dlib::rectangle& r = detection.rect;
                faces[count] = KestrelFaceBox{static_cast<int>(r.left()), static_cast<int>(r.top()),
                                              static_cast<int>(r.width()),
                                              static_cast<int>(r.height()), smiling(shape) ? 1 : 0,
                                              looking(shape) ? 1 : 0};
            }
            ++count;
        }
        return count;
    } catch (...) {
        return -1;
    }
}

void kestrel_faces_close(KestrelFaces* finder) { delete finder; }
}
