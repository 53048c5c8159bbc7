#include "core/settings/PrefObject.h"

#include "core/imaging/JpegCodec.h"
#include "core/imaging/PngCodec.h"
#include "core/platform/Log.h"

#include <string>

#include <atomic>

namespace kestrel {
namespace {

std::atomic<PrefObject*> single{nullptr};

}  // namespace

PrefObject::~PrefObject() {
    PrefObject* self = this;
    single.compare_exchange_strong(self, nullptr);
}

PrefObject* PrefObject::singleObject() { return single.load(); }

void PrefObject::init() {
    load();
    PrefObject* empty = nullptr;
    single.compare_exchange_strong(empty, this);
}

void PrefObject::load() {
    persisted_ = store_->boolForKey(kPersistedKey);
    if (persisted_)
        load(*store_);
    else
        initialize();
}

bool PrefObject::save() {
    persisted_ = true;
    store_->setBool(true, kPersistedKey);
    save(*store_);
    if (store_->synchronize()) return true;
    Log::error("settings: the settings could not be saved");
    return false;
}

void PrefObject::saveImage(const Image& image, PreferenceStore& store, std::string_view key) {
    if (!image) {
        store.removeObjectForKey(key);
        return;
    }
    std::string error;
    if (auto jpeg = JpegCodec::encode(image, 0.9, &error))
        store.setObject(*jpeg, key);
    else
        Log::error("settings: cannot store the picture under \"" + std::string(key) + "\": " + error);
}

void PrefObject::savePng(const Image& image, PreferenceStore& store, std::string_view key) {
    if (!image) {
        store.removeObjectForKey(key);
        return;
    }
    std::string error;
    if (auto png = PngCodec::encode(image, &error))
        store.setObject(*png, key);
    else
        Log::error("settings: cannot store the picture under \"" + std::string(key) + "\": " + error);
}

namespace {

// Whatever the blob holds, JPEG or PNG, as the platform's image-from-data does.
Image imageFromBlob(const PreferenceStore& store, std::string_view key) {
    const auto blob = store.objectForKey(key);
    if (!blob) return {};
    if (blob->size() >= 8 && (*blob)[0] == 0x89 && (*blob)[1] == 'P') {
        if (auto png = PngCodec::decode(*blob)) return *png;
    } else if (auto jpeg = JpegCodec::decode(*blob)) {
        return *jpeg;
    }
    Log::warning("settings: the picture under \"" + std::string(key) + "\" cannot be read");
    return {};
}

}  // namespace

Image PrefObject::loadImageFrom(const PreferenceStore& store, std::string_view key) {
    return imageFromBlob(store, key);
}

Image PrefObject::loadPngFrom(const PreferenceStore& store, std::string_view key) {
    return imageFromBlob(store, key);
}

}  // namespace kestrel
