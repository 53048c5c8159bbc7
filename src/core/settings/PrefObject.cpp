#include "core/settings/PrefObject.h"

#include "core/platform/Log.h"

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

}  // namespace kestrel
