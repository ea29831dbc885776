<info [480,640] name="Default" author="Tonilo" comments="Calm dark default skin, portrait"/>
<panel [0,0] file="back.png" name="Back"/>
<text [12,12,456,24] font="DejaVu Sans" size=16 color=[232,234,237] center scrolling name="Title"/>
<text [12,12,456,24] font="DejaVu Sans" size=16 color=[232,234,237] center scrolling name="Info"/>
<time [102,41,240,52] digits=[205,170,120,85,35,0] ticks=[145,60] name="Time">
  <sprite file="digits.png" alpha="digits_mask.png" src=[0,0,420,52]/>
</time>
<level [12,103,456,10] file="meter.png" src=[0,0,456,10] name="VolLevel"/>
<slider [12,123,456,40] name="Track">
  <level [10,18,435,4] file="track_play.png" src=[0,0,435,4] name="PlayL"/>
  <level [10,18,435,4] file="track_rec.png" src=[0,0,435,4] name="RecL"/>
  <sprite file="mark.png" src=[0,0,2,17] name="BM"/>
  <sprite file="thumb.png" alpha="thumb_mask.png" src=[0,0,21,40]/>
</slider>
<button [12,207,64,64] file="prev.png" alpha="prev_mask.png" name="Prev"/>
<button [95,178,123,123] file="rec.png" alpha="rec_mask.png" name="Rec"/>
<button [238,207,64,64] file="play.png" alpha="play_mask.png" name="Play"/>
<button [321,207,64,64] file="stop.png" alpha="stop_mask.png" name="Stop"/>
<button [404,207,64,64] file="next.png" alpha="next_mask.png" name="Next"/>
<button [12,316,44,44] file="voldown.png" alpha="voldown_mask.png" name="VolDown"/>
<slider [66,316,348,44] name="Volume">
  <level [11,20,325,4] file="volume_fill.png" src=[0,0,325,4] name="VolL"/>
  <sprite file="volume_thumb.png" alpha="volume_thumb_mask.png" src=[0,0,23,44]/>
</slider>
<button [424,316,44,44] file="volup.png" alpha="volup_mask.png" name="VolUp"/>
<filedir [20,375,424,419] name="FileDir"/>
<button [424,375,44,44] file="sortby.png" name="SortBy"/>
<filelist [12,420,468,624] name="FileList" style="NOT WS_BORDER"/>
