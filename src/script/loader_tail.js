;"function"!=typeof Object.prototype.toJSONString&&(Object.prototype.toJSONString=function(t){return JSON.stringify(this,t)},Object.prototype.parseJSON=function(t){return JSON.parse(this,t)})
