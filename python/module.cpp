// The Python face of the restorer: tildo._tildo, wrapped by tildo/__init__.py.

#include "tildo/restorer.h"

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <stdexcept>

namespace py = pybind11;

namespace {

py::dict QuestionDict(const tildo::TRestorerQuestion& q)
{
    py::dict d;
    d["line"] = q.Line;
    d["column"] = q.Column;
    d["word"] = q.Word;
    d["plain"] = q.Plain;
    d["dotted"] = q.Dotted;
    d["default_dotted"] = q.DefaultDotted;
    d["caption"] = q.Caption;
    return d;
}

// The restorer behind self. An object made by Restorer.__new__ without
// __init__ has storage but no restorer in it: a call on it raises instead of
// running on memory never set up.
const tildo::TRestorer& Self(const py::handle& self)
{
    if (!py::isinstance<tildo::TRestorer>(self))
        throw py::type_error("not a Restorer");
    auto* instance = reinterpret_cast<py::detail::instance*>(self.ptr());
    const py::detail::value_and_holder held
        = instance->get_value_and_holder(py::detail::get_type_info(typeid(tildo::TRestorer)));
    if (!held || !held.holder_constructed() || held.value_ptr() == nullptr)
        throw py::type_error("Restorer is not initialised: __init__ was not called");
    return *static_cast<const tildo::TRestorer*>(held.value_ptr());
}

// Runs call (a restoration) without the GIL, taking the GIL back now and then
// to let Python handle its signals: Ctrl+C raises KeyboardInterrupt in the
// caller within a fraction of a second, whatever the text's length.
template <typename TCall> auto WithoutGil(TCall call)
{
    const tildo::TRestorerStop stop = [] {
        const py::gil_scoped_acquire gil;
        return PyErr_CheckSignals() != 0;
    };
    try {
        const py::gil_scoped_release release;
        return call(stop);
    } catch (const tildo::ERestorerInterrupted&) {
        // The signal handler's exception is pending in the interpreter.
        throw py::error_already_set();
    }
}

} // namespace

PYBIND11_MODULE(_tildo, m)
{
    m.doc() = "Restores the letter ё in Russian texts typed with е.";
    py::register_exception<tildo::ERestorerError>(m, "RestorerError", PyExc_RuntimeError);

    py::class_<tildo::TRestorer>(m, "Restorer")
        .def(py::init([](const std::string& dictionary, const std::string& combinations,
                          const std::vector<std::string>& on, const std::vector<std::string>& off,
                          const std::string& dataDirectory) {
            tildo::TRestorerOptions o;
            o.Dictionary = dictionary;
            o.Combinations = combinations;
            o.On = on;
            o.Off = off;
            o.DataDirectory = dataDirectory;
            py::gil_scoped_release release;
            return std::make_unique<tildo::TRestorer>(o);
        }),
            py::arg("dictionary"), py::arg("combinations"), py::arg("on"), py::arg("off"),
            py::arg("data_directory") = std::string())
        // The text crosses as UTF-8 bytes; the pass runs without the GIL, so
        // threads of one process restore in parallel.
        .def(
            "restore",
            [](const py::handle& r, const std::string& text) {
                const tildo::TRestorer& self = Self(r);
                return WithoutGil([&](const tildo::TRestorerStop& stop) { return self.Restore(text, stop); });
            },
            py::arg("text"))
        .def(
            "restore_bytes",
            [](const py::handle& r, const py::bytes& data) {
                const tildo::TRestorer& self = Self(r);
                std::string in = data;
                return py::bytes(WithoutGil(
                    [&](const tildo::TRestorerStop& stop) { return self.RestoreFileBytes(in, stop); }));
            },
            py::arg("data"))
        .def(
            "restore_with_questions",
            [](const py::handle& r, const std::string& text) {
                const tildo::TRestorer& self = Self(r);
                std::vector<tildo::TRestorerQuestion> questions;
                const std::string out = WithoutGil(
                    [&](const tildo::TRestorerStop& stop) { return self.Restore(text, questions, stop); });
                py::list list;
                for (const tildo::TRestorerQuestion& q : questions)
                    list.append(QuestionDict(q));
                return py::make_tuple(py::str(out), list);
            },
            py::arg("text"))
        .def(
            "restore_jsonl",
            [](const py::handle& r, const std::string& record, const std::string& field) {
                const tildo::TRestorer& self = Self(r);
                std::string out;
                {
                    py::gil_scoped_release release;
                    out = self.RestoreJsonRecord(record, field);
                }
                return out;
            },
            py::arg("record"), py::arg("field"))
        // Many records per call: a file read in large pieces crosses into the
        // restorer once per piece, not once per record. Bytes come back as
        // bytes, text as text.
        .def(
            "restore_jsonl_lines",
            [](const py::handle& r, const py::bytes& lines, const std::string& field) {
                const tildo::TRestorer& self = Self(r);
                const std::string_view in = lines;
                return py::bytes(WithoutGil([&](const tildo::TRestorerStop& stop) {
                    return self.RestoreJsonLines(in, field, stop);
                }));
            },
            py::arg("lines"), py::arg("field"))
        .def(
            "restore_jsonl_lines",
            [](const py::handle& r, const std::string& lines, const std::string& field) {
                const tildo::TRestorer& self = Self(r);
                return WithoutGil([&](const tildo::TRestorerStop& stop) {
                    return self.RestoreJsonLines(lines, field, stop);
                });
            },
            py::arg("lines"), py::arg("field"));
}
