#include "vxOCChar.h"

#include "vxCharCode.h"
#include "vxPelOps.h"
#include "vx_Image.h"
#include "vsys_cleanup.h"

#include <algorithm>
#include <climits>
#include <memory>

namespace {

using Image = vxOCChar::Image;
constexpr unsigned char kCurrentVersion = 1;

bool isLegalPolarity(long p) {
    return p == vxOCDefs::eDarkOnLight || p == vxOCDefs::eLightOnDark ||
           p == vxOCDefs::eUnknownPolarity;
}

// A copy of img with pixels of its own: its window, or rootCopyRect clipped to its root
// (context around the window), windowed back to img's window.
Image rootCopy(const Image& img, const vxPelRect& rootCopyRect) {
    if (!img.isBound()) return img;
    if (!rootCopyRect.isNull() && !rootCopyRect.contains(img.window()))
        throw vxOCDefs::BadParams(L"Root copy rect does not contain image window");
    Image view = img;
    if (!rootCopyRect.isNull() && !img.window().isNull()) {
        view.setEntire();
        view.window(rootCopyRect.intersect(view.rootWindow()), false);
    }
    vxPelBuffer<unsigned char> copy = vfPelCopy(view);
    copy.window(img.window(), false);
    return copy;
}

// A copy of img's whole root, windowed as img.
Image deepCopy(const Image& img) {
    if (!img.isBound()) return img;
    Image whole = img;
    whole.setEntire();
    vxPelBuffer<unsigned char> copy = vfPelCopy(whole);
    copy.window(img.window(), false);
    return copy;
}

bool sameImage(const Image& a, const Image& b) {
    if (a.isBound() != b.isBound()) return false;
    return !a.isBound() || vfPelEqual(a, b);
}

// The wide form of a 32-bit text, or empty when a code point has none.
std::wstring toWide(const std::u32string& s) {
    std::wstring w;
    w.reserve(s.size());
    for (char32_t c : s) {
        const vxCharCode code(c);
        if (!code.isRepresentableAsTChar()) return std::wstring();
        w.push_back(code.getAsTChar());
    }
    return w;
}

std::u32string to32(const std::wstring& w) {
    std::u32string s;
    s.reserve(w.size());
    for (wchar_t c : w)
        s.push_back(static_cast<char32_t>(c));
    return s;
}

const std::wstring& checkedWide(const std::wstring& wide, const std::u32string& s32) {
    if (wide.empty() && !s32.empty()) throw vxCharCodeDefs::NotRepresentable();
    return wide;
}

// A C record that is destructed on every path out of the scope that made it, through
// the clean-up stack.
class CharRecord {
public:
    CharRecord() : tag_(vsys_cleanup_getNextTag()) {
        vfThrowExceptionOnFailure(voc_char_construct(&record_));
        const long status = vsys_cleanup_register(&voc_char_cleanup, &record_);
        if (vfIsFailureStatus(status)) {
            voc_char_destruct(&record_);
            vfThrowExceptionOnFailure(status);
        }
    }
    ~CharRecord() { vsys_cleanupExecute_(tag_); }
    CharRecord(const CharRecord&) = delete;
    CharRecord& operator=(const CharRecord&) = delete;
    voc_char& get() { return record_; }

private:
    unsigned long tag_;
    voc_char record_{};
};

template <class Char> struct StringFree {
    void operator()(Char* s) const { vstd_string_free(s); }
};
template <class Char> using CString = std::unique_ptr<Char, StringFree<Char>>;

CString<vstd_char32> clone32(const std::u32string& s) {
    vstd_char32* c = nullptr;
    if (!s.empty()) vfThrowExceptionOnFailure(vstd_string_clone32(s.c_str(), &c));
    return CString<vstd_char32>(c);
}

CString<wchar_t> cloneW(const std::wstring& s) {
    wchar_t* c = nullptr;
    if (!s.empty()) vfThrowExceptionOnFailure(vstd_string_cloneW(s.c_str(), &c));
    return CString<wchar_t>(c);
}

template <class Char> void handOver(Char*& field, CString<Char>& s) {
    vstd_string_free(field);
    field = s.release();
}

Image fromRecord(const vimg_imageConst& view, bool copy) {
    Image img;
    vfConvertImage(view, img);
    return copy ? deepCopy(img) : img;
}

} // namespace

vxOCChar::vxOCChar() = default;

void vxOCChar::reset() { *this = vxOCChar(); }

void vxOCChar::polarity(vxOCDefs::Polarity polarity) {
    if (!isLegalPolarity(polarity)) throw vxOCDefs::BadParams(L"Unknown polarity");
    if (polarity != polarity_) undetectMarkRect_();
    polarity_ = polarity;
}

void vxOCChar::name32(const std::u32string& name) {
    std::wstring wide = toWide(name);
    name32_ = name;
    name_ = std::move(wide);
}

void vxOCChar::name(const std::wstring& name) {
    std::u32string s = to32(name);
    name_ = name;
    name32_ = std::move(s);
}

const std::wstring& vxOCChar::name() const { return checkedWide(name_, name32_); }

void vxOCChar::description32(const std::u32string& description) {
    std::wstring wide = toWide(description);
    description32_ = description;
    description_ = std::move(wide);
}

void vxOCChar::description(const std::wstring& description) {
    std::u32string s = to32(description);
    description_ = description;
    description32_ = std::move(s);
}

const std::wstring& vxOCChar::description() const {
    return checkedWide(description_, description32_);
}

void vxOCChar::image(const Image& img, const vxPelRect& rootCopyRect) {
    image_ = rootCopy(img, rootCopyRect);
    undetectMarkRect_();
}

void vxOCChar::mask(const Image& img, const vxPelRect& rootCopyRect) {
    mask_ = rootCopy(img, rootCopyRect);
    undetectMarkRect_();
}

void vxOCChar::normalizedImage(const Image& img, const vxPelRect& rootCopyRect) {
    Image copy = rootCopy(img, rootCopyRect);
    uncacheBinarizedImage_();
    normalized_ = std::move(copy);
    undetectMarkRect_();
}

void vxOCChar::normalizedImage(const Image& img, bool hasThresholdAndInvert, long threshold,
                               bool invert, const vxPelRect& rootCopyRect) {
    CharRecord record;
    getCharacter(record.get(), false);
    const vx_Image view(img);
    vfThrowExceptionOnFailure(voc_char_setNormalizedImageThresholdAndInvert8(
        &record.get(), &view.view(), hasThresholdAndInvert ? 1 : 0, threshold, invert ? 1 : 0,
        rootCopyRect.x(), rootCopyRect.y(), rootCopyRect.width(), rootCopyRect.height()));
    setCharacter(record.get(), false);
}

Image vxOCChar::inImageArea_(const Image& img, bool inImageArea) const {
    if (!inImageArea || !img.isBound()) return img;
    if (imageArea_.isNull()) throw vxOCDefs::BadParams(L"imageArea cannot be null");
    if (imageArea_.intersect(img.window()) != imageArea_)
        throw vxOCDefs::BadParams(L"image does not contain imageArea");
    Image view = img;
    view.window(imageArea_, false);
    return view;
}

Image vxOCChar::inMarkRect_(const Image& img) const {
    using M = vxOCCharMetrics;
    constexpr M::RectType kPreference[] = {M::eMarkRectImage, M::eDetectedMarkRectImage,
                                           M::eMarkRect, M::eDetectedMarkRect};
    const M::RectType* type = std::find_if(std::begin(kPreference), std::end(kPreference),
                                           [&](M::RectType t) { return metrics_.isRectSpecified(t); });
    if (type == std::end(kPreference)) throw vxOCDefs::RectNotSpecified();
    const vxPelRect marks = metrics_.encloseRectImage(*type, img);
    if (!img.isBound()) return img;
    vxPelRect clipped = marks.intersect(img.window());
    if (clipped.isNull()) clipped = vxPelRect(img.window().x(), img.window().y(), 0, 0);
    Image view = img;
    view.window(clipped, false);
    return view;
}

void vxOCChar::hasThresholdAndInvert(bool has) {
    if (has != hasThresholdAndInvert_) uncacheBinarizedImage_();
    hasThresholdAndInvert_ = has;
}

long vxOCChar::threshold() const {
    checkHasThresholdAndInvert_();
    return threshold_;
}

void vxOCChar::threshold(long threshold) {
    if (threshold < 0) throw vxOCDefs::BadParams(L"Threshold must be >= 0.");
    if (threshold > INT32_MAX)
        throw vxOCDefs::IntegerOverflow(L"Value overflows integer value range");
    if (threshold != threshold_) uncacheBinarizedImage_();
    threshold_ = static_cast<int32_t>(threshold);
}

bool vxOCChar::invert() const {
    checkHasThresholdAndInvert_();
    return invert_;
}

void vxOCChar::invert(bool invert) {
    if (invert != invert_) uncacheBinarizedImage_();
    invert_ = invert;
}

Image vxOCChar::binarizedImage(bool inImageArea) const {
    checkHasBinarizedImage_();
    cacheBinarizedImage_();
    return inImageArea_(binarized_, inImageArea);
}

Image vxOCChar::binarizedImageMarkRect() const {
    CharRecord record;
    getCharacter(record.get(), false);
    vx_Image marks;
    vfThrowExceptionOnFailure(voc_char_getBinarizedImageMarkRect8(&record.get(), &marks.view()));
    return marks.buffer();
}

void vxOCChar::cacheBinarizedImage_() const {
    if (binarizedCached_ || !hasThresholdAndInvert_ || !normalized_.isBound()) return;
    if (threshold_ > 256) throw vxOCDefs::BadParams(L"threshold() > 256)");
    const unsigned char low = invert_ ? 255 : 0;
    vxPelMapTable table;
    for (int v = 0; v < 256; ++v)
        table[v] = v < threshold_ ? low : static_cast<unsigned char>(255 - low);
    binarized_ = vfPelMap(normalized_, table);
    binarizedCached_ = true;
}

void vxOCChar::uncacheBinarizedImage_() {
    if (!binarizedCached_) return;
    binarizedCached_ = false;
    binarized_.setUnbound();
}

void vxOCChar::checkHasThresholdAndInvert_() const {
    if (!hasThresholdAndInvert_) throw vxOCDefs::ThresholdAndInvertNotSpecified();
}

void vxOCChar::checkHasBinarizedImage_() const { checkHasThresholdAndInvert_(); }

void vxOCChar::undetectMarkRect_() {
    metrics_.hasDetectedMarkRect(false);
    metrics_.detectedMarkRect(vxRect());
}

void vxOCChar::imageArea(const vxPelRect& area) {
    if (area != imageArea_) undetectMarkRect_();
    imageArea_ = area;
}

vxPelRect vxOCChar::markOrImageArea() const {
    if (metrics_.isBlank()) return imageArea_;
    try {
        return imageMarkRect().window();
    } catch (const vxOCDefs::RectNotSpecified&) {
        return imageArea_;
    }
}

void vxOCChar::moveOrigin(const vxVector<2>& d) {
    // New client p is old client p + d: client-from-image is followed by a shift by -d.
    const vxPtrHandle_const<vx2XformBase> shift = vfMakeXform(vxXform<2>(vxMatrix<2>(), -d));
    vxOCCharMetrics metrics = metrics_;
    for (vxOCCharMetrics::RectType type : {vxOCCharMetrics::eCellRect, vxOCCharMetrics::eMarkRect,
                                           vxOCCharMetrics::eDetectedMarkRect}) {
        if (!metrics.isRectSpecified(type)) continue;
        const vxRect r = metrics.rect(type);
        if (!r.degen()) metrics.rect(type, vxRect(r.ul() - d, r.size()));
    }
    image_.clientFromImage(vfComposeXforms(shift, image_.clientFromImage()));
    mask_.clientFromImage(vfComposeXforms(shift, mask_.clientFromImage()));
    metrics_ = metrics;
}

namespace {

// The smallest non-negative instance not in use, given the instances in use sorted.
long firstFreeInstance(const std::vector<long>& sortedInUse) {
    long next = 0;
    for (long v : sortedInUse) {
        if (v < next) continue;
        if (v != next) break;
        ++next;
    }
    return next;
}

template <class It> vxOCCharKey uniqueInstanceKey(const vxOCCharKey& key, It begin, It end) {
    std::vector<long> inUse;
    bool taken = false;
    for (It it = begin; it != end; ++it) {
        if (!it->equalCharacterCode(key) || !it->isInstanceSpecified()) continue;
        inUse.push_back(it->instance());
        taken = taken || it->instance() == key.instance();
    }
    if (inUse.size() >= static_cast<size_t>(INT32_MAX))
        throw vxOCDefs::BadParams(L"All key values in use");
    if (key.isInstanceSpecified() && !taken) return key;
    std::sort(inUse.begin(), inUse.end());
    vxOCCharKey unique = key;
    unique.instance(firstFreeInstance(inUse));
    return unique;
}

} // namespace

vxOCCharKey vxOCChar::makeUniqueInstanceKey(const vxOCCharKey& key,
                                            const std::vector<vxOCCharKey>& keys) {
    return uniqueInstanceKey(key, keys.begin(), keys.end());
}

vxOCCharKey vxOCChar::makeUniqueInstanceKey(const vxOCCharKey& key,
                                            const std::vector<vxOCChar>& chars) {
    std::vector<vxOCCharKey> keys;
    keys.reserve(chars.size());
    for (const vxOCChar& c : chars)
        keys.push_back(c.key());
    return makeUniqueInstanceKey(key, keys);
}

bool vxOCChar::makeUniqueInstanceKeys(std::vector<vxOCCharKey>& keys) {
    if (keys.empty()) return false;
    if (!keys[0].isInstanceSpecified()) keys[0].instance(0);
    bool changed = false;
    for (auto it = keys.begin() + 1; it != keys.end(); ++it) {
        const vxOCCharKey unique = uniqueInstanceKey(*it, keys.begin(), it);
        changed = changed || unique != *it;
        *it = unique;
    }
    return changed;
}

void vxOCChar::setCharacter(const voc_char& record, bool copyImages) {
    vxOCChar c;
    c.key_.setKey(record.key);
    c.metrics_.setMetrics(record.metrics);
    vfConvertPolarity(record.polarity, c.polarity_);
    c.imageArea_ = vxPelRect(record.imageArea.x, record.imageArea.y, record.imageArea.width,
                             record.imageArea.height);
    c.threshold_ = record.threshold;
    c.invert_ = record.invert != 0;
    if (record.name32) c.name32_ = record.name32;
    if (record.name) c.name_ = record.name;
    if (record.description32) c.description32_ = record.description32;
    if (record.description) c.description_ = record.description;
    c.image_ = fromRecord(record.image, copyImages);
    c.mask_ = fromRecord(record.mask, copyImages);
    c.normalized_ = fromRecord(record.normalizedImage, copyImages);
    c.binarized_ = fromRecord(record.binarizedImage, copyImages);
    c.binarizedCached_ = record.binarizedImageValid != 0;
    c.hasThresholdAndInvert_ = record.hasThresholdAndInvert != 0;
    *this = std::move(c);
}

void vxOCChar::getCharacter(voc_char& record, bool copyImages) const {
    voc_charPolarity polarity;
    vfConvertPolarity(polarity_, polarity);
    // Everything that can fail comes first, so that a failure leaves the record as it was.
    CString<vstd_char32> name32 = clone32(name32_), description32 = clone32(description32_);
    CString<wchar_t> name = cloneW(name_), description = cloneW(description_);
    auto view = [&](const Image& img) { return vx_Image(copyImages ? deepCopy(img) : img); };
    const vx_Image image = view(image_), mask = view(mask_), normalized = view(normalized_),
                   binarized = view(binarized_);

    key_.getKey(record.key);
    metrics_.getMetrics(record.metrics);
    record.polarity = polarity;
    record.imageArea = {static_cast<int32_t>(imageArea_.x()), static_cast<int32_t>(imageArea_.y()),
                        static_cast<int32_t>(imageArea_.width()),
                        static_cast<int32_t>(imageArea_.height())};
    record.hasThresholdAndInvert = hasThresholdAndInvert_ ? 1 : 0;
    record.threshold = threshold_;
    record.invert = invert_ ? 1 : 0;
    handOver(record.name32, name32);
    handOver(record.description32, description32);
    handOver(record.name, name);
    handOver(record.description, description);
    record.binarizedImageValid = 0;
    vimg_imageConst_assign(&record.image, &image.view());
    vimg_imageConst_assign(&record.mask, &mask.view());
    vimg_imageConst_assign(&record.normalizedImage, &normalized.view());
    vimg_imageConst_assign(&record.binarizedImage, &binarized.view());
    record.binarizedImageValid = binarizedCached_ ? 1 : 0;
}

bool operator==(const vxOCChar& a, const vxOCChar& b) {
    return a.key_ == b.key_ && a.polarity_ == b.polarity_ && sameImage(a.image_, b.image_) &&
           sameImage(a.mask_, b.mask_) && sameImage(a.normalized_, b.normalized_) &&
           a.binarizedCached_ == b.binarizedCached_ && sameImage(a.binarized_, b.binarized_) &&
           a.hasThresholdAndInvert_ == b.hasThresholdAndInvert_ && a.threshold_ == b.threshold_ &&
           a.invert_ == b.invert_ && a.imageArea_ == b.imageArea_ && a.metrics_ == b.metrics_ &&
           a.name32_ == b.name32_ && a.description32_ == b.description32_ &&
           a.name_ == b.name_ && a.description_ == b.description_;
}

vxArchive& operator||(vxArchive& ar, vxOCChar& c) {
    const unsigned char version = ar.transferVersion(kCurrentVersion, kCurrentVersion, "vxOCChar");
    if (version != kCurrentVersion) throw vxArchive::UnknownVersion("vxOCChar", version);
    vxOCChar loaded;
    vxOCChar& t = ar.isStoring() ? c : loaded;
    uint32_t polarity = static_cast<uint32_t>(t.polarity_);
    ar || t.key_ || polarity || t.image_ || t.mask_ || t.normalized_;
    ar || t.binarizedCached_ || t.binarized_;
    ar || t.hasThresholdAndInvert_ || t.threshold_ || t.invert_;
    vf_PersistenceHelper<vxPelRect>::serialize(ar, t.imageArea_);
    ar || t.metrics_ || t.name32_ || t.description32_ || t.name_ || t.description_;
    if (ar.isLoading()) {
        // Polarity and threshold load as stored, unchecked like every loaded setting;
        // only a polarity the enumeration cannot hold (its values span 0 to 7) is refused,
        // since holding it would be undefined behaviour.
        if (polarity > 7) throw vxArchive::BadData(L"Archive holds an invalid polarity");
        t.polarity_ = static_cast<vxOCDefs::Polarity>(polarity);
        c = std::move(loaded);
    }
    return ar;
}
