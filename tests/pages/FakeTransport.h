#pragma once

#include <QString>

// A stand-in for jQuery's $.ajax inside a page: records every request in window.__requests and answers
// from window.__answers, keyed by the path after the API host ({fail: true} or a missing key: a network
// error; {body: ...}: a JSON answer). Answers arrive asynchronously, as real ones do.
inline QString fakeTransportScript()
{
    return QStringLiteral("window.__requests = []; window.__answers = {};"
                          "$.ajax = function (o) {"
                          "  window.__requests.push({ url: o.url, type: o.type, data: $.extend({}, o.data), "
                          "timeout: o.timeout });"
                          "  var path = String(o.url).substring(apiHost.length).split('?')[0];"
                          "  var answer = window.__answers[path];"
                          "  setTimeout(function () {"
                          "    if (!answer || answer.fail) { if (o.error) o.error({}, 'error'); }"
                          "    else if (o.success) { o.success(answer.body); }"
                          "  }, 5);"
                          "};");
}

// "path: key=value&key=value" for request i, with the data keys sorted, for comparing request shapes.
inline QString requestShapeScript(int index)
{
    return QStringLiteral(
               "(function(){var r=window.__requests[%1]; if(!r) return '';"
               "var keys=Object.keys(r.data).sort();"
               "return r.type+' '+String(r.url).substring(apiHost.length)+': '+keys.map(function(k){"
               "return k+'='+r.data[k];}).join('&');})()")
        .arg(index);
}
