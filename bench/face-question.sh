#!/usr/bin/env bash
# Which face detector the Faces mode uses: OpenCV's Haar cascades against
# dlib's HOG detector and 68-point shape predictor, on the real photographs
# scripts/fetch-samples.sh copies from Debian's packages, letterboxed into the
# 640 × 480 preview frame the mode polls: faces found, missed and false, the
# smiles each tells right, and the time of one poll (quote the ratio).
# Needs libopencv-dev, opencv-data, libdlib-dev and libdlib-data
# (scripts/deps.sh bench).
#
#   bench/face-question.sh [POLLS]     prints Markdown tables (POLLS: 20)
set -euo pipefail
cd "$(dirname "$0")/.."
polls="${1:-20}"
faces="$(realpath build/samples/faces)"
[ -f "$faces/astronaut.png" ] || { echo "no samples in $faces: run scripts/fetch-samples.sh" >&2; exit 1; }
program="$(mktemp -d)/face-question"
trap 'rm -rf "$(dirname "$program")"' EXIT
g++ -std=c++20 -O2 -o "$program" bench/faces/FaceQuestion.cpp $(pkg-config --cflags --libs opencv4 dlib-1)

a="$faces/astronaut.png" h="$faces/grace_hopper.jpg" c="$faces/camera.png"
# The true faces in the 640 × 480 frame, x,y,w,h:smiling.
"$program" /usr/share/opencv4/haarcascades /usr/share/dlib/shape_predictor_68_face_landmarks.dat "$polls" \
  "astronaut, smiling=$a@240,60,100,100:1" \
  "Hopper, unsmiling=$h@235,80,190,190:0" \
  "cameraman, side view=$c@235,75,120,120:0" \
  "the three side by side=$a+$h+$c@68,148,60,62:1;280,162,92,92:0;492,160,60,60:0" \
  "astronaut and Hopper=$a+$h@110,105,80,80:1;425,115,150,150:0" \
  "coffee, no face=$faces/coffee.png@none" \
  "a cat, no face=$faces/chelsea.png@none" \
  "a rocket, no face=$faces/rocket.jpg@none" 2> >(grep -v "libpng warning" >&2)
