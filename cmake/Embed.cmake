# Embeds the files under resources/ into the program. Filled in by the
# resource mechanism; until then no resource source is generated.
function(varno_embed_resources out dir)
  set(${out} "" PARENT_SCOPE)
endfunction()
