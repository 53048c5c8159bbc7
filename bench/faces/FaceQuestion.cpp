// Which face detector the Faces mode uses: OpenCV's Haar cascades (frontal
// face, profile face, smile) against dlib's HOG face detector with its
// 68-point shape predictor, on real photographs letterboxed into the 640 × 480
// preview frame the mode polls. For each scene: the faces each finds, those
// it misses and those it finds where there is none (a box whose centre lies
// in no true face's box), the smiles it sees, and the time of one poll.
//
//   face-question SCENE...      SCENE is NAME=FILE[+FILE...]@BOXES
//     FILE+FILE puts the pictures side by side (a group of people);
//     BOXES lists the true faces as x,y,w,h;...:s (s: 1 smiling, 0 not) in
//     the 640 × 480 frame, or "none".
// Built and run by bench/face-question.sh.
#include <dlib/image_processing.h>
#include <dlib/image_processing/frontal_face_detector.h>
#include <dlib/opencv.h>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/objdetect.hpp>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct TrueFace {
    cv::Rect box;
    bool smiling;
};

struct Scene {
    std::string name;
    cv::Mat frame;  // 640 × 480, BGR
    std::vector<TrueFace> faces;
};

struct Found {
    cv::Rect box;
    bool smiling;
};

struct Tally {
    int found = 0, missed = 0, falseFaces = 0, smilesRight = 0, smilesWrong = 0;
};

// The pictures side by side at one height, letterboxed into 640 × 480.
cv::Mat frameOf(const std::vector<std::string>& files) {
    std::vector<cv::Mat> parts;
    for (const auto& file : files) {
        cv::Mat picture = cv::imread(file, cv::IMREAD_COLOR);
        if (picture.empty()) throw std::runtime_error("cannot read " + file);
        cv::Mat scaled;
        cv::resize(picture, scaled, cv::Size(picture.cols * 480 / picture.rows, 480), 0, 0,
                   cv::INTER_AREA);
        parts.push_back(scaled);
    }
    cv::Mat row;
    cv::hconcat(parts, row);
    const double scale = std::min(640.0 / row.cols, 480.0 / row.rows);
    cv::Mat fitted;
    cv::resize(row, fitted, cv::Size(), scale, scale, cv::INTER_AREA);
    cv::Mat frame(480, 640, CV_8UC3, cv::Scalar(0, 0, 0));
    fitted.copyTo(frame(cv::Rect((640 - fitted.cols) / 2, (480 - fitted.rows) / 2, fitted.cols,
                                 fitted.rows)));
    return frame;
}

Scene parseScene(const std::string& argument) {
    Scene scene;
    const auto equals = argument.find('=');
    const auto at = argument.find('@');
    scene.name = argument.substr(0, equals);
    std::vector<std::string> files;
    std::stringstream list(argument.substr(equals + 1, at - equals - 1));
    for (std::string file; std::getline(list, file, '+');) files.push_back(file);
    scene.frame = frameOf(files);
    const std::string boxes = argument.substr(at + 1);
    if (boxes == "none") return scene;
    std::stringstream entries(boxes);
    for (std::string entry; std::getline(entries, entry, ';');) {
        TrueFace face{};
        int smiling = 0;
        std::sscanf(entry.c_str(), "%d,%d,%d,%d:%d", &face.box.x, &face.box.y, &face.box.width,
                    &face.box.height, &smiling);
        face.smiling = smiling != 0;
        scene.faces.push_back(face);
    }
    return scene;
}

// --- OpenCV: frontal and profile cascades, the smile cascade in the face's lower half ---

struct HaarFinder {
    cv::CascadeClassifier frontal, profile, smile;
    bool sides;
    HaarFinder(const std::string& folder, bool withSides) : sides(withSides) {
        frontal.load(folder + "/haarcascade_frontalface_default.xml");
        profile.load(folder + "/haarcascade_profileface.xml");
        smile.load(folder + "/haarcascade_smile.xml");
    }
    int upsampled() const { return sides ? 0 : 1; }
    std::vector<Found> find(const cv::Mat& frame) {
        cv::Mat gray;
        cv::cvtColor(frame, gray, cv::COLOR_BGR2GRAY);
        cv::equalizeHist(gray, gray);
        std::vector<cv::Rect> faces, sides, flippedSides;
        frontal.detectMultiScale(gray, faces, 1.1, 5, 0, cv::Size(40, 40));
        if (this->sides) {
            profile.detectMultiScale(gray, sides, 1.1, 5, 0, cv::Size(40, 40));
            cv::Mat flipped;
            cv::flip(gray, flipped, 1);
            profile.detectMultiScale(flipped, flippedSides, 1.1, 5, 0, cv::Size(40, 40));
        }
        for (auto& r : flippedSides) r.x = gray.cols - r.x - r.width;
        std::vector<Found> found;
        for (const auto& face : faces) {
            const cv::Rect lower(face.x, face.y + face.height / 2, face.width, face.height / 2);
            std::vector<cv::Rect> smiles;
            smile.detectMultiScale(gray(lower), smiles, 1.1, 20, 0,
                                   cv::Size(face.width / 4, face.height / 8));
            found.push_back({face, !smiles.empty()});
        }
        auto overlapsFound = [&found](const cv::Rect& r) {
            for (const auto& f : found)
                if ((f.box & r).area() > 0) return true;
            return false;
        };
        for (const auto* list : {&sides, &flippedSides})
            for (const auto& r : *list)
                if (!overlapsFound(r)) found.push_back({r, false});
        return found;
    }
};

// --- dlib: HOG frontal detector, smiles from the 68 landmarks ---

struct DlibFinder {
    dlib::frontal_face_detector detector = dlib::get_frontal_face_detector();
    dlib::shape_predictor landmarks;
    bool upsample;
    double minScore;
    DlibFinder(const std::string& model, bool up, double least = 0.0)
        : upsample(up), minScore(least) {
        dlib::deserialize(model) >> landmarks;
    }
    int upsampled() const { return upsample ? 2 : minScore > 0 ? 3 : 1; }
    std::vector<Found> find(const cv::Mat& frame) {
        cv::Mat gray;
        cv::cvtColor(frame, gray, cv::COLOR_BGR2GRAY);
        dlib::cv_image<unsigned char> image(gray);
        std::vector<dlib::rectangle> faces;
        if (upsample) {
            cv::Mat doubled;
            cv::resize(gray, doubled, cv::Size(), 2.0, 2.0, cv::INTER_LINEAR);
            faces = detector(dlib::cv_image<unsigned char>(doubled));
            for (auto& f : faces)
                f = dlib::rectangle(f.left() / 2, f.top() / 2, f.right() / 2, f.bottom() / 2);
        } else {
            std::vector<dlib::rect_detection> scored;
            detector(image, scored, 0.0);
            for (const auto& d : scored)
                if (d.detection_confidence >= minScore) faces.push_back(d.rect);
        }
        std::vector<Found> found;
        for (const auto& face : faces) {
            const dlib::full_object_detection shape = landmarks(image, face);
            // A smile widens the mouth against the jaw and lifts its corners
            // above the lips' middle.
            const double jaw = dlib::length(shape.part(16) - shape.part(0));
            const double mouth = dlib::length(shape.part(54) - shape.part(48));
            const double middle = (shape.part(62).y() + shape.part(66).y()) / 2.0;
            const double corners = (shape.part(48).y() + shape.part(54).y()) / 2.0;
            const bool smiling = mouth / jaw > 0.42 && corners < middle;
            found.push_back({cv::Rect(static_cast<int>(face.left()), static_cast<int>(face.top()),
                                      static_cast<int>(face.width()),
                                      static_cast<int>(face.height())),
                             smiling});
        }
        return found;
    }
};

template <class Finder>
void measure(const char* name, Finder& finder, const std::vector<Scene>& scenes, int polls) {
    Tally total;
    std::printf("\n%s\n| scene | true faces | found | missed | false | smiles right | smiles wrong | ms per poll |\n|---|---|---|---|---|---|---|---|\n", name);
    double allMs = 0;
    for (const auto& scene : scenes) {
        Tally tally;
        std::vector<Found> found;
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < polls; ++i) found = finder.find(scene.frame);
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count() / polls;
        allMs += ms;
        if (const char* folder = std::getenv("FACE_QUESTION_DRAW")) {
            cv::Mat drawn = scene.frame.clone();
            for (const auto& face : scene.faces) cv::rectangle(drawn, face.box, {255, 0, 0}, 1);
            for (const auto& f : found)
                cv::rectangle(drawn, f.box, f.smiling ? cv::Scalar(0, 255, 0) : cv::Scalar(0, 0, 255), 2);
            for (const auto& f : found)
                std::fprintf(stderr, "%s %s: %d,%d,%d,%d smiling %d\n", name, scene.name.c_str(),
                             f.box.x, f.box.y, f.box.width, f.box.height, f.smiling ? 1 : 0);
            cv::imwrite(std::string(folder) + "/" + name[0] + "-" + std::to_string(finder.upsampled()) + "-" + scene.name + ".png", drawn);
        }
        std::vector<bool> matched(found.size(), false);
        for (const auto& face : scene.faces) {
            bool hit = false;
            for (std::size_t i = 0; i < found.size(); ++i) {
                const cv::Point centre(found[i].box.x + found[i].box.width / 2,
                                       found[i].box.y + found[i].box.height / 2);
                if (matched[i] || !face.box.contains(centre)) continue;
                matched[i] = hit = true;
                (found[i].smiling == face.smiling ? tally.smilesRight : tally.smilesWrong)++;
                break;
            }
            (hit ? tally.found : tally.missed)++;
        }
        for (const bool m : matched)
            if (!m) tally.falseFaces++;
        std::printf("| %s | %zu | %d | %d | %d | %d | %d | %.1f |\n", scene.name.c_str(),
                    scene.faces.size(), tally.found, tally.missed, tally.falseFaces,
                    tally.smilesRight, tally.smilesWrong, ms);
        total.found += tally.found;
        total.missed += tally.missed;
        total.falseFaces += tally.falseFaces;
        total.smilesRight += tally.smilesRight;
        total.smilesWrong += tally.smilesWrong;
    }
    std::printf("| all | | %d | %d | %d | %d | %d | %.1f (mean) |\n", total.found, total.missed,
                total.falseFaces, total.smilesRight, total.smilesWrong,
                allMs / static_cast<double>(scenes.size()));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: face-question CASCADES SHAPE_MODEL POLLS SCENE...\n");
        return 2;
    }
    try {
        std::vector<Scene> scenes;
        for (int i = 4; i < argc; ++i) scenes.push_back(parseScene(argv[i]));
        const int polls = std::stoi(argv[3]);
        HaarFinder haar(argv[1], true);
        measure("OpenCV Haar cascades (frontal + profile both ways, smile in the lower half)",
                haar, scenes, polls);
        HaarFinder frontal(argv[1], false);
        measure("OpenCV Haar cascades (frontal only, smile in the lower half)", frontal, scenes,
                polls);
        DlibFinder hog(argv[2], false);
        measure("dlib HOG + 68 landmarks, the 640 × 480 frame as it is", hog, scenes, polls);
        DlibFinder sure(argv[2], false, 0.5);
        measure("dlib HOG + 68 landmarks, the frame as it is, detections scored 0.5 or more",
                sure, scenes, polls);
        DlibFinder hogUp(argv[2], true);
        measure("dlib HOG + 68 landmarks, the frame doubled", hogUp, scenes, polls);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "face-question: %s\n", error.what());
        return 1;
    }
    return 0;
}
