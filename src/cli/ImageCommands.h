#pragma once

#include "cli/CliContext.h"

#include <CLI/CLI.hpp>

#include <string>

namespace kestrel::cli {

// kestrel-cli compose|nightvision|merge|resize|poster: the photo pipeline on
// files. Formats by extension (.jpg/.jpeg, .png); JPEG written at quality
// 0.95 unless --quality says otherwise. On success a JSON line describes the
// written picture; on failure nothing is left at OUT.
class ImageCommands {
public:
    ImageCommands(CLI::App& parent, CliContext& context);

private:
    struct Options {
        std::string in;
        std::string in2;
        std::string out;
        int ratio = 0;
        float zoom = 1.0f;
        int effect = 0;
        std::string stamp;
        bool reduce = false;
        bool tilt = false;
        int orientation = -1;
        double quality = 0.95;
        bool channel = false;
        bool smart = false;
        float width = 0;
        float height = 0;
        float size = 0;
    };

    void compose() const;
    void nightVision() const;
    void merge() const;
    void resize() const;
    void poster() const;
    void preview() const;

    CliContext& context_;
    Options o_;
};

}  // namespace kestrel::cli
