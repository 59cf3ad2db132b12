#include "pages.h"

#include <nlohmann/json.hpp>

#include "text.h"
#include "text/text_utils.h"

namespace {

std::string SearchLink(const std::string& keyword, int page, int pageSize) {
    return "/appweb/search?lb=" + UrlEncodeUnreserved(keyword) +
           "&amp;cid=1&amp;lcid=0&amp;ps=" + std::to_string(pageSize) +
           "&amp;pn=" + std::to_string(page);
}

std::string Entry(const Game& game, std::string_view baseUrl) {
    const std::string id = std::to_string(game.id);
    const std::string link = std::string(baseUrl) + "/" + id;
    const std::string name = HtmlEscape(game.name);
    return "<dl class=\"app-single-item app-single-item-details\">\n"
           "<dt><a href=\"" +
           link + "\" data-appid=\"" + id +
           "\" target=\"_blank\">"
           "<i class=\"app-single-round\" title=\"" +
           name +
           "\"></i>"
           "<img src=\"" +
           std::string(baseUrl) + "/icon/" + id +
           ".png\" alt=\"\"></a></dt>\n"
           "<dd class=\"app-name\"><a href=\"" +
           link + "\" target=\"_blank\">" + name + "</a></dd>\n<dd class=\"app-desc\">" +
           HtmlEscape(game.introduction) + "</dd>\n" +
           Utf8(u8"<dd class=\"app-meta\"><span class=\"use-count\"><strong>") + game.usage +
           Utf8(u8"</strong>万次使用</span></dd>\n</dl>\n");
}

// Numbered links around the current page, always ending with the last page, then the
// next-page button.
std::string Pager(const std::string& keyword, int current, int pageCount, int pageSize) {
    if (pageCount <= 1) return {};
    std::string pager = "<div class=\"pager\" style=\"width:100%\">\n";
    if (current > 1) {
        pager += "<a class=\"prev\" data-item=\"btn-page-prev\" href=\"" +
                 SearchLink(keyword, current - 1, pageSize) + Utf8(u8"\">上一页</a>");
    }
    const auto number = [&](int page) {
        if (page == current) return "<span class=\"current\">" + std::to_string(page) + "</span>";
        return "<a href=\"" + SearchLink(keyword, page, pageSize) + "\" data-item=\"btn-page\">" +
               std::to_string(page) + "</a>";
    };
    const int from = std::max(1, current - 2);
    const int to = std::min(pageCount - 1, current + 2);
    if (from > 1) pager += number(1) + (from > 2 ? "<span>...</span>" : "");
    for (int page = from; page <= to; ++page)
        pager += number(page);
    if (to < pageCount - 1) pager += "<span>...</span>";
    pager += number(pageCount);
    if (current < pageCount) {
        pager += "<a class=\"next\" data-item=\"btn-page-next\" href=\"" +
                 SearchLink(keyword, current + 1, pageSize) + Utf8(u8"\">下一页</a>");
    }
    return pager + "\n</div>\n";
}

}  // namespace

std::string HotListJson(const HotListPage& page, std::string_view baseUrl, int pageNumber) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const Game* game : page.games) {
        const std::string id = std::to_string(game->id);
        list.push_back({{"app_id", id},
                        {"app_name", game->name},
                        {"app_shortdesc", game->introduction},
                        {"app_url", std::string(baseUrl) + "/" + id},
                        {"app_icon", std::string(baseUrl) + "/icon/" + id + ".png"},
                        {"app_usage", game->usage}});
    }
    const nlohmann::ordered_json reply = {{"errno", 0},
                                          {"errmsg", ""},
                                          {"data",
                                           {{"total", page.total},
                                            {"pagecount", page.pageCount},
                                            {"pn", pageNumber},
                                            {"list", std::move(list)}}}};
    // As the real service writes it: every character beyond ASCII as a "\u" escape, and "/" as
    // "\/" (JSON has a "/" only inside its strings, so each one may be escaped).
    std::string text = reply.dump(-1, ' ', true);
    std::string escaped;
    escaped.reserve(text.size() + text.size() / 8);
    for (const char c : text) {
        if (c == '/') escaped += '\\';
        escaped += c;
    }
    return escaped + "\n";
}

std::string SearchHtml(const std::string& keyword, const SearchResult& result, int pageNumber,
                       int pageSize, std::string_view baseUrl) {
    const std::string shown = HtmlEscape(keyword);
    std::string html =
        Utf8(u8"<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>") + shown +
        Utf8(
            u8" - 游戏搜索</title>\n<style>.bar{width:100%}.app-single-item{float:left}</style>"
            u8"</head>\n<body>\n<form class=\"search\" action=\"/appweb/search\">"
            u8"<input name=\"lb\" value=\"") +
        shown + Utf8(u8"\"><button>搜索</button></form>\n");
    if (result.games.empty()) {
        html += Utf8(u8"<p class=\"empty\">没有找到与“") + shown +
                Utf8(u8"”相关的游戏，换个关键词试试吧。</p>\n");
    } else {
        html += Utf8(u8"<p class=\"summary\">找到 ") + std::to_string(result.total) +
                Utf8(u8" 个与“<a href=\"") + SearchLink(keyword, 1, pageSize) + "\">" + shown +
                Utf8(u8"</a>”相关的游戏</p>\n<div class=\"app-list\">\n");
        for (const Game& game : result.games)
            html += Entry(game, baseUrl);
        html += "</div>\n";
        const int pageCount = (result.total + pageSize - 1) / pageSize;
        html += Pager(keyword, pageNumber, pageCount, pageSize);
    }
    return html + "</body></html>\n";
}

std::string GameHtml(const Game& game, std::string_view baseUrl) {
    const std::string name = HtmlEscape(game.name);
    return Utf8(u8"<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>") + name +
           "</title>\n<style>body{margin:0;background:#1d2b3a;color:#eee;font-family:sans-serif}"
           "h1{font-size:20px;margin:12px}p{margin:0 12px 12px}"
           "canvas{display:block;margin:0 auto;background:#fdf6e3}</style></head>\n<body>\n"
           "<h1>" +
           name + "</h1>\n<p>" + HtmlEscape(game.introduction) + "</p>\n" +
           Utf8(
               u8"<canvas id=\"board\" width=\"640\" height=\"400\">需要支持画布的浏览器</canvas>\n"
               u8"<p>点击小球得分！ <a href=\"") +
           std::string(baseUrl) + Utf8(u8"/\">返回首页</a></p>\n") +
           "<script>\n"
           "var c=document.getElementById('board'),g=c.getContext&&c.getContext('2d');\n"
           "var x=" +
           std::to_string(60 + game.id % 500) +
           ",y=80,dx=3,dy=2,score=0;\n"
           "c.onclick=function(e){var r=c.getBoundingClientRect(),px=e.clientX-r.left,"
           "py=e.clientY-r.top;if((px-x)*(px-x)+(py-y)*(py-y)<400){score++;dx*=1.1;dy*=1.1;}};\n"
           "function step(){if(!g)return;x+=dx;y+=dy;if(x<20||x>620)dx=-dx;if(y<20||y>380)dy=-dy;\n"
           "g.clearRect(0,0,640,400);g.fillStyle='#d33';g.beginPath();"
           "g.arc(x,y,20,0,6.2832);g.fill();g.fillStyle='#333';g.fillText('score '+score,10,20);}\n"
           "setInterval(step,30);\n</script>\n</body></html>\n";
}

std::string IndexHtml(std::string_view baseUrl) {
    const std::string base(baseUrl);
    return Utf8(
               u8"<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>示例游戏目录</title>"
               u8"</head>\n<body>\n<h1>示例游戏目录</h1>\n<ul>\n<li><a href=\"") +
           base +
           Utf8(
               u8"/appweb/getcathotlist?cid=1&amp;leaf_cid=0&amp;sort=1&amp;pn=1\">热门游戏</a>"
               u8"</li>\n<li><a href=\"") +
           base +
           Utf8(
               u8"/appweb/search?lb=%E5%A1%94%E9%98%B2&amp;cid=1&amp;lcid=0&amp;ps=10&amp;pn=1\">"
               u8"搜索：塔防</a></li>\n</ul>\n</body></html>\n");
}

std::string ErrorHtml(int status, std::string_view reason) {
    const std::string title = std::to_string(status) + " " + std::string(reason);
    return "<!DOCTYPE html>\n<html><head><title>" + title + "</title></head>\n<body><h1>" + title +
           "</h1><hr><p>sample_catalogue</p></body></html>\n";
}

std::string PortalHtml() {
    return Utf8(
        u8"<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>网络登录</title></head>\n"
        u8"<body>\n<h1>欢迎使用无线网络</h1>\n<p>请先登录，然后再访问其他网站。</p>\n"
        u8"<form action=\"/login\" method=\"post\"><input name=\"user\"><button>登录</button>"
        u8"</form>\n</body></html>\n");
}
