<info [640,480] name="Default" author="Tonilo" comments="Calm dark default skin, landscape"/>
<panel [0,0] file="back.png" name="Back"/>
<text [12,26,328,24] font="DejaVu Sans" size=16 color=[232,234,237] center scrolling name="Title"/>
<text [12,26,328,24] font="DejaVu Sans" size=16 color=[232,234,237] center scrolling name="Info"/>
<time [38,68,240,52] digits=[205,170,120,85,35,0] ticks=[145,60] name="Time">
  <sprite file="digits.png" alpha="digits_mask.png" src=[0,0,420,52]/>
</time>
<level [12,144,328,10] file="meter.png" src=[0,0,328,10] name="VolLevel"/>
<slider [12,177,328,40] name="Track">
  <level [10,18,307,4] file="track_play.png" src=[0,0,307,4] name="PlayL"/>
  <level [10,18,307,4] file="track_rec.png" src=[0,0,307,4] name="RecL"/>
  <sprite file="mark.png" src=[0,0,2,17] name="BM"/>
  <sprite file="thumb.png" alpha="thumb_mask.png" src=[0,0,21,40]/>
</slider>
<button [36,246,136,136] file="rec.png" alpha="rec_mask.png" name="Rec"/>
<button [180,246,64,64] file="play.png" alpha="play_mask.png" name="Play"/>
<button [252,246,64,64] file="stop.png" alpha="stop_mask.png" name="Stop"/>
<button [180,318,64,64] file="prev.png" alpha="prev_mask.png" name="Prev"/>
<button [252,318,64,64] file="next.png" alpha="next_mask.png" name="Next"/>
<button [12,410,44,44] file="voldown.png" alpha="voldown_mask.png" name="VolDown"/>
<slider [66,410,220,44] name="Volume">
  <level [11,20,197,4] file="volume_fill.png" src=[0,0,197,4] name="VolL"/>
  <sprite file="volume_thumb.png" alpha="volume_thumb_mask.png" src=[0,0,23,44]/>
</slider>
<button [296,410,44,44] file="volup.png" alpha="volup_mask.png" name="VolUp"/>
<filedir [360,12,584,56] name="FileDir"/>
<button [584,12,44,44] file="sortby.png" name="SortBy"/>
<filelist [352,57,628,464] name="FileList" style="NOT WS_BORDER"/>
