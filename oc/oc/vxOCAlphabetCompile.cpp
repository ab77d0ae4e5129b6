// Alphabet compilation: one row of the confusion matrix and of the offsets table per
// worker thread, rows one after another.
//
// A normal row trains a correlation sub-model on the character's image area and runs
// it over every other normal character's image area: the best score is the confusion,
// the best pose the offset. A blank row scores every normal character's image for
// structure over the blank's area; characters with markedly less structure than the
// rest become confusable with the blank.
#include "vxOCAlphabet.h"

#include "vxAttention.h"
#include "vxDiagObject.h"
#include "vx_OCDiagnostics.h"
#include "vxThread.h"
#include "vx_OCImageUtilities.h"
#include "vx_SubModelTool.h"

#include <algorithm>
#include <cmath>

// What one row computation needs: the alphabet's characters (read only), the row
// index and the matrix and offsets table the row is written into.
struct vx_CompileRowData {
    const std::vector<vxPtrHandle_const<vxOCModel>>* characters = nullptr;
    long row = -1;
    vxNMMatrix* matrix = nullptr;
    vxOCAlphabet::OffsetTable* offsets = nullptr;
};

// Computes row `row` of a vx_CompileRowData; a thread entry. Writes only that row.
void vf_CompileAlphabetRow(void* record);

namespace {

// The fraction of the lowest structure scores that forms a blank row's reference mean.
constexpr double kBlankReferenceFraction = 0.25;

// Runs one measurement. A tool failure ends only that measurement (it returns false),
// except a stop request and a broken invariant, which end the compilation. Every time
// limit is a stop request: the caller's own (Expired) and one armed by an outer
// library (InternalExpired) alike; absorbed, it would turn the rest of the matrix
// into zeros that look like a compiled alphabet.
template <class Measure> bool measure(Measure m) {
    try {
        m();
        return true;
    } catch (const vxTimeout::Error&) {
        throw;
    } catch (const vxAttention::Aborted&) {
        throw;
    } catch (const vxAssertionFailure&) {
        throw;
    } catch (const vxException&) {
        return false;
    }
}

void compileBlankRow(const vx_CompileRowData& data) {
    const auto& chars = *data.characters;
    const long i = data.row;
    const vxOCModel& blank = *chars[i];
    const long n = static_cast<long>(chars.size());

    std::vector<double> scores;
    std::vector<bool> scored(n, false);
    for (long j = 0; j < n; ++j) {
        const vxOCModel& other = *chars[j];
        if (j == i || other.charType() == vxOCModel::eBlank) continue;
        double s = 0.0;
        if (!measure([&] {
                s = vfScoreBlankness(other.image(), other.mask(), vxXform<2>(), blank.image(),
                                     blank.imageArea(), blank.mask());
            }))
            continue; // unmeasurable: not confusable with the blank, not in the reference
        data.matrix->element(i, j, s);
        scores.push_back(s);
        scored[j] = true;
    }
    if (scores.empty()) return;

    std::sort(scores.begin(), scores.end());
    const size_t kept = std::min(
        scores.size(), static_cast<size_t>(std::ceil(kBlankReferenceFraction * scores.size())));
    double mean = 0.0;
    for (size_t k = 0; k < kept; ++k)
        mean += scores[k];
    mean /= static_cast<double>(kept);

    for (long j = 0; j < n; ++j) {
        if (!scored[j]) continue;
        const double v = data.matrix->element(i, j);
        data.matrix->element(i, j, v < mean && mean != 0.0 ? 1.0 - v / mean : 0.0);
    }
    // A blank has no pose in another character: its first offset carries the reference
    // mean and how far the least structured character falls below it.
    const double spread = mean != 0.0 ? 1.0 - scores.front() / mean : 0.0;
    (*data.offsets)[i][0] = vxXform<2>(vxMatrix<2>(), vxVector<2>(mean, spread));
}

void compileNormalRow(const vx_CompileRowData& data) {
    const auto& chars = *data.characters;
    const long i = data.row;
    const vxOCModel& model = *chars[i];
    const long n = static_cast<long>(chars.size());
    vxDiagObject localDiag; // the row's tools record nothing (flags 0)

    vxPelBuffer_const<unsigned char> modelImage(model.image());
    modelImage.window(model.imageArea(), false);
    vxPelBuffer_const<unsigned char> modelMask(model.mask());
    if (modelMask.isBound()) modelMask.window(model.imageArea(), false);
    vxWarpSubModelCorTrainParams trainParams;
    trainParams.coarseGrainLimit(1.0);
    trainParams.zoneAllowed(0);
    vx_SubModelTool tool;
    // A character the tool cannot learn (an empty image area) is confusable with
    // nothing: its row stays as initialised.
    if (!measure([&] { tool.train(vxWarpSubModel(modelImage, modelMask, L""), trainParams); }))
        return;
    const vxMatrix<2> modelGrid = modelImage.imageFromClientXform().matrix();

    // The model may hang over the search image's edges by up to half its size.
    const long w = modelImage.width() + modelImage.width() % 2;
    const long h = modelImage.height() + modelImage.height() % 2;
    vxWarpSubModelCorRunParams runParams;
    runParams.acceptThreshold(0.0);
    runParams.zoneEnable(0);
    runParams.partialMatch(vxPelRect(-w / 2, -h / 2, w, h));

    for (long j = 0; j < n; ++j) {
        const vxOCModel& other = *chars[j];
        if (j == i || other.charType() == vxOCModel::eBlank) continue;
        // A pair the tool cannot measure counts as not confusable.
        measure([&] {
            const vxRect search =
                model.encloseRect(vxXform<2>(), vxXform<2>(), other.image().clientFromImageXform(),
                                  0.0, vxRadian(0.0), 0.0);
            vxPelBuffer_const<unsigned char> image(other.image());
            image.window(other.imageArea(), false);
            vxPelBuffer_const<unsigned char> mask(other.mask());
            if (mask.isBound()) mask.window(other.imageArea(), false);
            if (image.imageFromClientXform().matrix() != modelGrid)
                vf_ResampleToModelGrid(modelImage, image, mask, &localDiag);

            vxWarpSubModelCorRunParams params(runParams);
            params.xyUncertainty(vxVector<2>(search.width(), search.height()));
            vx_SubModelResultSet results;
            tool.run(image, mask, vxXform<2>(), params, std::vector<vxVector<2>>(), results);
            if (results.numFound() > 0) {
                data.matrix->element(i, j, results[0].score());
                (*data.offsets)[i][j] = results[0].pose();
            }
        });
    }
}

} // namespace

void vf_CompileAlphabetRow(void* record) {
    const auto* data = static_cast<const vx_CompileRowData*>(record);
    vstd_assert_(data != nullptr && data->characters != nullptr && data->matrix != nullptr &&
                     data->offsets != nullptr,
                 "compile row record is complete");
    const long n = static_cast<long>(data->characters->size());
    const long i = data->row;
    vstd_assert_(i >= 0 && i < n, "compile row index is in range");
    vstd_assert_(data->matrix->rows() >= n && data->matrix->cols() >= n &&
                     data->offsets->size() == static_cast<size_t>(n) &&
                     (*data->offsets)[i].size() == static_cast<size_t>(n),
                 "compile row storage is sized for the alphabet");

    for (long j = 0; j < n; ++j) {
        data->matrix->element(i, j, j == i ? 1.0 : 0.0);
        (*data->offsets)[i][j] = vxXform<2>();
    }
    if ((*data->characters)[i]->charType() == vxOCModel::eBlank)
        compileBlankRow(*data);
    else
        compileNormalRow(*data);
}

void vxOCAlphabet::compileRow_(long row) {
    vx_CompileRowData data{&characters_, row, confusion_.get(), &offsets_};
    vf_CompileAlphabetRow(&data);
}

void vxOCAlphabet::compile(vxDiagObject* diag, unsigned long flags) {
    if (diag && vxDiagObject::shouldRecord(flags, vxDiagObject::eInput))
        vf_AddAlphabet(diag, this, L"Alphabet Compilation Input", true);

    if (!compiled_) {
        // Rows are computed aside and taken over only when all are done, so a stop or
        // a failure leaves the alphabet as it was.
        const long n = numChars();
        auto matrix = std::make_unique<vxNMMatrix>(std::max(1L, n), std::max(1L, n));
        OffsetTable offsets(n, std::vector<vxXform<2>>(n));

        // Rows run one at a time, each on a worker of its own that shares the caller's
        // abort request and time limits; workers write disjoint rows, so nothing is
        // locked. A stop request wins over a row's own failure, which is rethrown
        // once its worker is joined.
        const vx_CompileRowData rowTemplate{&characters_, -1, matrix.get(), &offsets};
        for (long row = 0; row < n; ++row) {
            vx_CompileRowData data = rowTemplate;
            data.row = row;
            const vxThreadID worker = vfCreateThreadTarn(&vf_CompileAlphabetRow, &data, -1, -1);
            std::exception_ptr failure;
            const bool rowDone = vfWaitForThreadTermination(worker, &failure);
            vxAttention::check();
            if (!rowDone && failure) std::rethrow_exception(failure);
        }
        mutating();
        confusion_.swap(matrix);
        offsets_.swap(offsets);
        compiled_ = true;
    }

    if (diag && vxDiagObject::shouldRecord(flags, vxDiagObject::eIntermediate))
        diag->newDiagRecord().recordAnnotation(L"Alphabet Compilation Details");
    if (diag && vxDiagObject::shouldRecord(flags, vxDiagObject::eResults))
        vf_AddAlphabet(diag, this, L"Alphabet Compilation Results", false);
}
