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
            [](const tildo::TRestorer& r, const std::string& text) {
                std::string out;
                {
                    py::gil_scoped_release release;
                    out = r.Restore(text);
                }
                return out;
            },
            py::arg("text"))
        .def(
            "restore_bytes",
            [](const tildo::TRestorer& r, const py::bytes& data) {
                std::string in = data;
                std::string out;
                {
                    py::gil_scoped_release release;
                    out = r.RestoreFileBytes(in);
                }
                return py::bytes(out);
            },
            py::arg("data"))
        .def(
            "restore_with_questions",
            [](const tildo::TRestorer& r, const std::string& text) {
                std::string out;
                std::vector<tildo::TRestorerQuestion> questions;
                {
                    py::gil_scoped_release release;
                    out = r.Restore(text, questions);
                }
                py::list list;
                for (const tildo::TRestorerQuestion& q : questions)
                    list.append(QuestionDict(q));
                return py::make_tuple(py::str(out), list);
            },
            py::arg("text"))
        .def(
            "restore_jsonl",
            [](const tildo::TRestorer& r, const std::string& record, const std::string& field) {
                std::string out;
                {
                    py::gil_scoped_release release;
                    out = r.RestoreJsonRecord(record, field);
                }
                return out;
            },
            py::arg("record"), py::arg("field"))
        // Many records per call: a file read in large pieces crosses into the
        // restorer once per piece, not once per record. Bytes come back as
        // bytes, text as text.
        .def(
            "restore_jsonl_lines",
            [](const tildo::TRestorer& r, const py::bytes& lines, const std::string& field) {
                const std::string_view in = lines;
                std::string out;
                {
                    py::gil_scoped_release release;
                    out = r.RestoreJsonLines(in, field);
                }
                return py::bytes(out);
            },
            py::arg("lines"), py::arg("field"))
        .def(
            "restore_jsonl_lines",
            [](const tildo::TRestorer& r, const std::string& lines, const std::string& field) {
                std::string out;
                {
                    py::gil_scoped_release release;
                    out = r.RestoreJsonLines(lines, field);
                }
                return out;
            },
            py::arg("lines"), py::arg("field"));
}
