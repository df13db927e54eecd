// Splits arbitrary bytes into scenario records in every dialect, scans the
// labels and decodes every text, checking that the records tile the input
// and that each label points at a label record.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <set>
#include <vector>

#include "formats/mes_script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    formats::ByteSpan script(data, size);
    for (int dialect = 0; dialect < formats::kMesDialectCount; ++dialect) {
        std::set<size_t> labelRecords;
        formats::MesRecord record;
        size_t position = 0;
        while (formats::NextMesRecord(script, position, &record)) {
            // Each record starts where the last one ended and ends at its
            // terminator or, for the last, at the end of the input.
            if (record.offset != position || record.length == 0) __builtin_trap();
            if (record.length > size - record.offset) __builtin_trap();
            size_t end = record.offset + record.length;
            if (record.terminated) {
                if (record.next != end + 2 || record.next > size) __builtin_trap();
                if (script[end] != 0x0A || script[end + 1] != 0x0D) __builtin_trap();
            } else if (end != size || record.next != size) {
                __builtin_trap();
            }
            // No terminator inside (a pair starting at end - 1 is the last to test).
            size_t last = record.terminated ? end : end - 1;
            for (size_t i = record.offset + 1; i < last; ++i) {
                if (script[i] == 0x0A && script[i + 1] == 0x0D) __builtin_trap();
            }

            // The line as the interpreter holds it: the record and a zero.
            std::vector<uint8_t> line(script.begin() + static_cast<std::ptrdiff_t>(record.offset),
                                      script.begin() + static_cast<std::ptrdiff_t>(end));
            line.push_back(0);
            formats::MesOp op = formats::DecodeMesOpcode(dialect, line[0]);
            if (formats::MesOperandsOf(op) == formats::MesOperands::kText) {
                formats::ByteSpan operand(line.data() + 1, line.size() - 1);
                if (formats::DecodeMesText(operand).size() > record.length - 1) __builtin_trap();
            }
            if (op == formats::MesOp::kLabel && record.length >= 5 &&
                std::memcmp(line.data() + 1, "#ADR", 4) == 0) {
                labelRecords.insert(record.offset);
            }
            position = record.next;
        }
        if (position != size) __builtin_trap();  // the records cover the input

        bool overflow = false;
        std::vector<formats::MesLabel> labels = formats::ScanMesLabels(script, dialect, &overflow);
        if (labels.size() > formats::kMesLabelCapacity) __builtin_trap();
        if (overflow != (labelRecords.size() > formats::kMesLabelCapacity)) __builtin_trap();
        if (labels.size() != std::min(labelRecords.size(), formats::kMesLabelCapacity))
            __builtin_trap();
        for (const formats::MesLabel& label : labels) {
            if (labelRecords.count(label.offset) == 0) __builtin_trap();
            int64_t found = formats::FindMesLabel(labels, label.key);
            if (found < 0 || found > label.offset) __builtin_trap();  // the first match wins
        }
    }
    return 0;
}
