// oc._oc: the compiled part of the Python package `oc` (python/oc/__init__.py gives
// the public face). It wraps the command-line tool's functions, so that Python and
// octool teach, read files and take parameters alike. Every call that works on images
// or files releases the GIL.
#include "vxException.h"
#include "vxImageFile.h"
#include "vxPyAlphabet.h"
#include "vxPyImage.h"
#include "vxPyParams.h"
#include "vxPyResults.h"
#include "vxToolAlphabetFile.h"
#include "vxToolArgs.h"
#include "vxToolCommands.h"
#include "vxToolManifest.h"
#include "vxToolText.h"
#include "vxToolVerifyImage.h"

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <map>
#include <memory>
#include <optional>
#include <sstream>

namespace py = pybind11;
using namespace pybind11::literals;

namespace {

// The package's exception classes, alive as long as the process.
PyObject* gError = nullptr;
PyObject* gParamError = nullptr;

// Keys of characters taught from images: a one-character name's code point (as octool
// render's sheets use), else one past Unicode plus the sample's index.
long sampleKey(const std::wstring& name, std::size_t index) {
    return name.size() == 1 ? static_cast<long>(name[0]) : 0x110000L + static_cast<long>(index);
}

std::shared_ptr<vxPyAlphabet> fromImages(const py::iterable& samples, double threshold,
                                         bool compile, const std::string& name) {
    struct Sample {
        std::wstring name;
        vxPelBuffer<unsigned char> image;
        bool hasArea = false;
        vxPelRect area;
    };
    std::vector<Sample> taught;
    // One copy per array; the tuples keep the arrays (the map's keys) alive.
    std::map<PyObject*, vxPelBuffer<unsigned char>> copies;
    std::vector<py::tuple> tuples;
    for (const py::handle item : samples) {
        const py::tuple t(py::reinterpret_borrow<py::object>(item));
        tuples.push_back(t);
        if (t.size() != 2 && t.size() != 3)
            throw py::value_error("a sample is (name, image) or (name, image, (x, y, w, h))");
        Sample s;
        s.name = vfToolFromUtf8(t[0].cast<std::string>(), "a sample's name");
        const std::string what = "the image of sample '" + t[0].cast<std::string>() + "'";
        auto copy = copies.find(t[1].ptr());
        if (copy == copies.end()) copy = copies.emplace(t[1].ptr(), vfPyToImage(t[1], what)).first;
        s.image = copy->second;
        if (t.size() == 3 && !t[2].is_none()) {
            const auto r = t[2].cast<std::vector<long>>();
            if (r.size() != 4) throw py::value_error(what + ": the rectangle is (x, y, w, h)");
            if (r[2] <= 0 || r[3] <= 0)
                throw py::value_error(what + ": the rectangle's width and height must be positive");
            s.hasArea = true;
            s.area = vxPelRect(r[0], r[1], r[2], r[3]);
        }
        taught.push_back(std::move(s));
    }
    const std::wstring alphabetName = vfToolFromUtf8(name, "the alphabet's name");
    py::gil_scoped_release release;
    std::vector<vxPtrHandle_const<vxOCModel>> models;
    for (std::size_t i = 0; i < taught.size(); ++i)
        models.push_back(vfToolMakeModel(sampleKey(taught[i].name, i), taught[i].name,
                                         taught[i].image, vxPelBuffer<unsigned char>(),
                                         taught[i].hasArea ? &taught[i].area : nullptr, false,
                                         "sample '" + vfToolToUtf8(taught[i].name) + "': "));
    vxOCAlphabet alphabet(models, threshold, false, alphabetName);
    if (compile) alphabet.compile();
    return std::make_shared<vxPyAlphabet>(std::move(alphabet));
}

// The image and mask arguments of arrange and verify, copied while the GIL is held.
struct RunImages {
    vxPelBuffer<unsigned char> image, mask;
};
RunImages runImages(const py::handle& image, const py::handle& mask) {
    RunImages in;
    in.image = vfPyToImage(image, "image");
    if (!mask.is_none()) {
        in.mask = vfPyToImage(mask, "mask");
        if (in.mask.window() != in.image.window())
            throw py::value_error("mask must have the image's shape");
    }
    return in;
}

py::dict arrange(const py::handle& image, vxPyAlphabet& alphabet, const std::string& target,
                 const py::handle& mask, const py::dict& params) {
    vxOCArrangeParams arrangeParams;
    vfPySetParams(params, "arrange", arrangeParams, nullptr);
    const RunImages in = runImages(image, mask);
    vxToolReport report;
    {
        py::gil_scoped_release release;
        // Compiled here, so vfToolArrange only reads it.
        vxOCAlphabet& compiled = alphabet.compiled();
        report = vfToolArrange(in.image, in.mask, compiled, vfToolTargetKeys(compiled, target),
                               arrangeParams);
    }
    return vfPyArrangeResult(report);
}

py::dict verify(const py::handle& image, vxPyAlphabet& alphabet, const std::string& target,
                const py::handle& mask, const py::dict& params) {
    vxOCArrangeParams arrangeParams;
    vxOCVerifyParams verifyParams;
    vfPySetParams(params, "verify", arrangeParams, &verifyParams);
    const RunImages in = runImages(image, mask);
    vxToolVerifyOutcome run;
    {
        py::gil_scoped_release release;
        const vxOCAlphabet& compiled = alphabet.compiled();
        run = vfToolVerifyImage(in.image, in.mask, compiled, vfToolTargetKeys(compiled, target),
                                arrangeParams, verifyParams);
    }
    return vfPyVerifyResult(run, alphabet.alphabet());
}

// How images are read: bits16 None refuses 16-bit samples, "high" takes their high bytes.
vxImageReadOptions readOptions(const std::optional<std::string>& bits16) {
    vxImageReadOptions options;
    if (bits16) {
        if (*bits16 != "high")
            throw py::value_error("bits16: '" + *bits16 + "' is not 'high' (or None)");
        options.bits16High = true;
    }
    return options;
}

py::array_t<unsigned char> readImage(const std::string& path,
                                     const std::optional<std::string>& bits16) {
    const vxImageReadOptions options = readOptions(bits16);
    vxPelBuffer<unsigned char> image;
    {
        py::gil_scoped_release release;
        image = vfReadImageFile(path, options);
    }
    return vfPyFromImage(image);
}

void translateErrors(std::exception_ptr thrown) {
    try {
        std::rethrow_exception(thrown);
    } catch (const vxPyParamError& e) {
        PyErr_SetString(gParamError, e.what());
    } catch (const vxToolError& e) {
        PyErr_SetString(gError, e.what());
    } catch (const vxImageFileError& e) {
        PyErr_SetString(gError, e.what());
    } catch (const vxException& e) {
        PyErr_SetString(gError, e.what());
    }
}

} // namespace

PYBIND11_MODULE(_oc, m) {
    m.doc() = "The compiled part of the optical-character module's Python package.";

    gError = PyErr_NewException("oc.Error", PyExc_Exception, nullptr);
    const py::tuple paramBases = py::make_tuple(py::handle(gError), py::handle(PyExc_ValueError));
    gParamError = PyErr_NewException("oc.ParamError", paramBases.ptr(), nullptr);
    m.attr("Error") = py::handle(gError);
    m.attr("ParamError") = py::handle(gParamError);
    py::register_exception_translator(translateErrors);

    py::class_<vxPyAlphabet, std::shared_ptr<vxPyAlphabet>>(m, "Alphabet")
        .def_static(
            "load",
            [](const std::string& path) {
                py::gil_scoped_release release;
                return std::make_shared<vxPyAlphabet>(vfToolLoadAlphabet(path));
            },
            "path"_a, "The alphabet stored at `path` (by octool teach or Alphabet.save).")
        .def_static(
            "teach",
            [](const std::string& manifest, double threshold, bool compile,
               const std::optional<std::string>& bits16) {
                const vxImageReadOptions options = readOptions(bits16);
                py::gil_scoped_release release;
                std::ostringstream log;
                return std::make_shared<vxPyAlphabet>(
                    vfToolTeach(manifest, threshold, compile, log, options));
            },
            "manifest_path"_a, py::kw_only(), "threshold"_a = 0.5, "compile"_a = true,
            "bits16"_a = py::none(),
            "One model per line of an octool manifest (KEY NAME IMAGE [X Y W H] [blank]\n"
            "[mask=MASKIMAGE]), with this confusion threshold; compiled unless compile=False.\n"
            "16-bit sample sheets are refused unless bits16=\"high\" takes their high bytes.")
        .def_static("from_images", &fromImages, "samples"_a, py::kw_only(), "threshold"_a = 0.5,
                    "compile"_a = true, "name"_a = "",
                    "One model per sample (name, image) or (name, image, (x, y, w, h)): the\n"
                    "image a 2-D uint8 array, the rectangle the character's cell (the whole\n"
                    "image when left out), the model's origin its centre. Keys are the code\n"
                    "points of one-character names.")
        .def(
            "save",
            [](vxPyAlphabet& self, const std::string& path) {
                py::gil_scoped_release release;
                vfToolStoreAlphabet(self.alphabet(), path);
            },
            "path"_a, "Stores the alphabet at `path`, replacing the file whole.")
        .def(
            "compile",
            [](vxPyAlphabet& self) {
                py::gil_scoped_release release;
                self.compiled();
            },
            "Compiles the alphabet when it is not (arrange and verify do it when needed).")
        .def_property_readonly("is_compiled", &vxPyAlphabet::isCompiled)
        .def_property_readonly(
            "name", [](const vxPyAlphabet& self) { return vfToolToUtf8(self.alphabet().name()); })
        .def_property_readonly("names",
                               [](const vxPyAlphabet& self) {
                                   std::vector<std::string> names;
                                   for (const auto& model : self.alphabet().characters())
                                       names.push_back(vfToolToUtf8(model->name()));
                                   return names;
                               })
        .def_property_readonly(
            "confusion_threshold",
            [](const vxPyAlphabet& self) { return self.alphabet().confusionThreshold(); })
        .def("__len__", [](const vxPyAlphabet& self) { return self.alphabet().numChars(); })
        .def("__repr__", [](vxPyAlphabet& self) {
            const long n = self.alphabet().numChars();
            return "<oc.Alphabet '" + vfToolToUtf8(self.alphabet().name()) + "': " +
                   std::to_string(n) + (n == 1 ? " character" : " characters") +
                   (self.isCompiled() ? ", compiled>" : ", not compiled>");
        });

    m.def("arrange", &arrange, "image"_a, "alphabet"_a, "target"_a, "mask"_a, "params"_a);
    m.def("verify", &verify, "image"_a, "alphabet"_a, "target"_a, "mask"_a, "params"_a);
    m.def("read_image", &readImage, "path"_a, "bits16"_a = py::none());
}
