#include "Trace.h"

#include <algorithm>
#include <cstdio>

namespace zvds_tool {

namespace {
const char* const kColours[] = {"#f2e600", "#00d8ff", "#ff4fd8", "#5cff5c",
                                "#ff8c1a", "#b48cff", "#ffffff", "#ff5050"};

std::string XmlText(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                // Control characters are not allowed in XML 1.0 text.
                out += (static_cast<unsigned char>(c) < 0x20) ? '?' : c;
        }
    }
    return out;
}
}  // namespace

void WriteCsv(std::ostream& out, const std::vector<std::vector<Trace>>& captures) {
    if (captures.empty() || captures.front().empty()) {
        return;
    }
    const bool numbered = captures.size() > 1;
    const std::vector<Trace>& first = captures.front();
    out << (numbered ? "capture,index" : "index");
    for (const Trace& t : first) {
        out << ',' << t.channel;
    }
    out << '\n';
    for (size_t c = 0; c < captures.size(); ++c) {
        size_t rows = 0;
        for (const Trace& t : captures[c]) {
            rows = std::max(rows, t.samples.size());
        }
        for (size_t i = 0; i < rows; ++i) {
            if (numbered) {
                out << (c + 1) << ',';
            }
            out << i;
            for (const Trace& t : captures[c]) {
                out << ',';
                if (i < t.samples.size()) {
                    out << t.samples[i];
                }
            }
            out << '\n';
        }
    }
}

uint32_t FullScale(const std::vector<Trace>& traces) {
    uint16_t highest = 0;
    for (const Trace& t : traces) {
        for (uint16_t s : t.samples) {
            highest = std::max(highest, s);
        }
    }
    return highest > 4095 ? 65535 : 4095;
}

void WriteSvg(std::ostream& out, const std::vector<Trace>& traces, const PlotLabel& label) {
    const int left = 40, top = 40, width = 800, height = 640;  // 10 x 8 divisions of 80
    const int total = width + 2 * left, totalHeight = height + top + 90;
    const double scale = FullScale(traces);
    char text[160];
    snprintf(text, sizeof(text),
             "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" viewBox=\"0 0 "
             "%d %d\" font-family=\"monospace\" font-size=\"14\">\n",
             total, totalHeight, total, totalHeight);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" << text;
    out << "<rect width=\"100%\" height=\"100%\" fill=\"#101820\"/>\n";
    out << "<g stroke=\"#3a4a58\" stroke-width=\"1\">\n";
    for (int i = 0; i <= 10; ++i) {
        snprintf(text, sizeof(text), "<line x1=\"%d\" y1=\"%d\" x2=\"%d\" y2=\"%d\"/>\n",
                 left + i * 80, top, left + i * 80, top + height);
        out << text;
    }
    for (int i = 0; i <= 8; ++i) {
        snprintf(text, sizeof(text), "<line x1=\"%d\" y1=\"%d\" x2=\"%d\" y2=\"%d\"/>\n", left,
                 top + i * 80, left + width, top + i * 80);
        out << text;
    }
    out << "</g>\n";
    size_t points = 0;
    for (size_t c = 0; c < traces.size(); ++c) {
        const Trace& t = traces[c];
        points = std::max(points, t.samples.size());
        out << "<path fill=\"none\" stroke-width=\"1.5\" stroke=\"" << kColours[c % 8] << "\" d=\"";
        const size_t n = t.samples.size();
        for (size_t i = 0; i < n; ++i) {
            const double x = left + (n > 1 ? width * static_cast<double>(i) / (n - 1) : 0.0);
            const double y = top + height - height * (t.samples[i] / scale);
            snprintf(text, sizeof(text), "%s%.1f %.1f", i == 0 ? "M" : " L", x, y);
            out << text;
        }
        out << "\"/>\n";
    }
    int y = top + height + 28;
    out << "<text x=\"" << left << "\" y=\"" << y << "\" fill=\"#d0d8e0\">" << XmlText(label.plugin)
        << " \u00b7 " << XmlText(label.address) << " \u00b7 " << points << " points</text>\n";
    int x = left;
    y += 24;
    for (size_t c = 0; c < traces.size(); ++c) {
        out << "<text x=\"" << x << "\" y=\"" << y << "\" fill=\"" << kColours[c % 8] << "\">"
            << XmlText(traces[c].channel) << "</text>\n";
        x += 20 + 10 * static_cast<int>(traces[c].channel.size());
    }
    out << "</svg>\n";
}

std::string Preview(const std::vector<uint16_t>& samples, size_t width) {
    static const char* const kBlocks[] = {"\u2581", "\u2582", "\u2583", "\u2584",
                                          "\u2585", "\u2586", "\u2587", "\u2588"};
    std::string line;
    if (samples.empty() || width == 0) {
        return line;
    }
    const double scale = FullScale({Trace{"", samples}}) + 1.0;
    for (size_t col = 0; col < width; ++col) {
        const size_t from = col * samples.size() / width;
        const size_t to = std::max(from + 1, (col + 1) * samples.size() / width);
        double sum = 0;
        for (size_t i = from; i < to && i < samples.size(); ++i) {
            sum += samples[i];
        }
        const double mean = sum / static_cast<double>(to - from);
        int level = static_cast<int>(mean / scale * 8);
        line += kBlocks[std::min(7, std::max(0, level))];
    }
    return line;
}

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char escaped[8];
            snprintf(escaped, sizeof(escaped), "\\u%04x", u);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

}  // namespace zvds_tool
