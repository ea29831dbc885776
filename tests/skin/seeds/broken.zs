<a>
<b x=
